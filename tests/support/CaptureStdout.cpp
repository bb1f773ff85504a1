#include "support/CaptureStdout.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <unistd.h>

namespace Tavrolin::Fill::Test {

CaptureStdout::CaptureStdout() {
    std::cout.flush();
    std::fflush(stdout);
    char name[] = "/tmp/tq-stdout-XXXXXX";
    mFile = mkstemp(name);
    if (mFile < 0) {
        ADD_FAILURE() << "cannot capture standard output: no temporary file";
        mDone = true;
        return;
    }
    unlink(name);
    mSaved = dup(STDOUT_FILENO);
    if (mSaved < 0 || dup2(mFile, STDOUT_FILENO) < 0) {
        ADD_FAILURE() << "cannot capture standard output: dup failed";
        mDone = true;
    }
}

CaptureStdout::~CaptureStdout() { finish(); }

void CaptureStdout::finish() {
    if (mDone)
        return;
    mDone = true;
    std::cout.flush();
    std::fflush(stdout);
    dup2(mSaved, STDOUT_FILENO);
    close(mSaved);
    mSaved = -1;
    lseek(mFile, 0, SEEK_SET);
    char buffer[4096];
    ssize_t got = 0;
    while ((got = read(mFile, buffer, sizeof buffer)) > 0)
        mText.append(buffer, static_cast<size_t>(got));
    close(mFile);
    mFile = -1;
}

const std::string& CaptureStdout::text() {
    finish();
    return mText;
}

}  // namespace Tavrolin::Fill::Test
