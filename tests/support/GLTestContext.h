#pragma once

#include "gl/AEOpenGLContext.h"

#include <gtest/gtest.h>

namespace Tavrolin::Fill::Test {

// The one real context of a test binary, made on first use (its banner is
// swallowed) and kept for the life of the process. Check isValid(): a test
// that needs GL must fail, not skip, when it is not.
AEOpenGLContext& sharedTestContext();

// Makes the shared test context current, failing the test when there is
// none. Returns whether it is current.
bool makeTestContextCurrent();

// Base of GL tests: the shared context current (or the test fails), the
// unresolved-call guard on, and after each test the usual bindings undone so
// that one case's leftovers do not reach the next.
class GLTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

// Puts back the bindings a GL test may leave: frame buffers, renderbuffer,
// textures on unit 0, program, vertex array and array buffer, unpack rows.
void resetGLBindings();

}  // namespace Tavrolin::Fill::Test
