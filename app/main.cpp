// orbit-patrol: the screensaver program. Everything happens in SaverApp; the
// password service is the Linux one, which has no provider.
#include "SaverApp.h"

#include <malloc.h>

int main(int argc, char** argv)
{
    // A software GL driver builds and frees megabytes of bins every frame; with
    // glibc's default trim threshold the heap shrinks after each frame and the
    // next frame pays for faulting the same pages in again, a hundred times a
    // second for as long as the screensaver runs.
    mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
    orbit::NoPasswordProvider passwords;
    orbit::SaverApp app(argc, argv, passwords);
    const int status = app.run();
    app.finishOnWayland(status);
    return status;
}
