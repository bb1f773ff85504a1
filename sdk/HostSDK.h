// Everything the effect and the host share, in one include.
#pragma once

#include "sdk/AEGPSuites.h"
#include "sdk/DrawbotSuites.h"
#include "sdk/PFRecords.h"
#include "sdk/PFSuites.h"
#include "sdk/PFTypes.h"
#include "sdk/SPBasic.h"
