#pragma once

#include <string>

namespace Tavrolin::Fill::Test {

// Captures everything written to standard output (std::cout, printf and
// anything else writing to descriptor 1) between construction and text().
// A capture that cannot be set up fails the test; it never passes silently.
// Standard output belongs to the process: capture on one thread at a time
// (nested captures end in reverse order).
class CaptureStdout {
public:
    CaptureStdout();
    ~CaptureStdout();
    CaptureStdout(const CaptureStdout&) = delete;
    CaptureStdout& operator=(const CaptureStdout&) = delete;

    // Ends the capture (on its first call) and returns the whole text.
    const std::string& text();

private:
    void finish();

    int mSaved = -1;
    int mFile = -1;
    bool mDone = false;
    std::string mText;
};

}  // namespace Tavrolin::Fill::Test
