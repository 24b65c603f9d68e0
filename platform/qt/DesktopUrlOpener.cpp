// Strict URL parsing first, so that text which is no URL never reaches the
// desktop's handlers.
#include "DesktopUrlOpener.h"

#include <QDesktopServices>
#include <QUrl>

namespace orbit {

bool DesktopUrlOpener::open(std::string_view target)
{
    const QUrl url(QString::fromUtf8(target.data(), static_cast<qsizetype>(target.size())), QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty())
        return false;
    return QDesktopServices::openUrl(url);
}

} // namespace orbit
