// orbit-patrol: the screensaver program. Everything happens in SaverApp; the
// password service is the Linux one, which has no provider.
#include "SaverApp.h"

int main(int argc, char** argv)
{
    orbit::NoPasswordProvider passwords;
    orbit::SaverApp app(argc, argv, passwords);
    return app.run();
}
