#include "controls/desktop_opener.h"

#include <QDesktopServices>
#include <QUrl>

namespace zor {

namespace {

bool DesktopOpen(const std::string& target) {
    const QString text = QString::fromStdString(target);
    // A target with a scheme ("https:", "mailto:") is an address; anything else a path or a bare host.
    QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().size() < 2) url = QUrl::fromUserInput(text);
    return url.isValid() && QDesktopServices::openUrl(url);
}

UrlOpener& Current() {
    static UrlOpener opener = DesktopOpen;
    return opener;
}

}  // namespace

bool OpenThroughDesktop(const std::string& target) { return Current()(target); }

UrlOpener SetUrlOpener(UrlOpener opener) {
    UrlOpener previous = std::move(Current());
    Current() = opener ? std::move(opener) : UrlOpener(DesktopOpen);
    return previous;
}

}  // namespace zor
