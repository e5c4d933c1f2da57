#include "PlatformServices.h"

#include <QDesktopServices>
#include <QUrl>

namespace {

class DesktopUrlOpener : public UrlOpener
{
public:
    void open(const QString &url) override { QDesktopServices::openUrl(QUrl(url)); }
};

} // namespace

std::unique_ptr<UrlOpener> createUrlOpener()
{
    return std::make_unique<DesktopUrlOpener>();
}
