#include "VersionCheck.h"

#include "base/ProductIdentity.h"
#include "base/TextUtil.h"
#include "platform/HttpClient.h"

namespace {

QString asciiUpper(const QString &text)
{
    QString out = text;
    for (QChar &c : out) {
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - 'a' + 'A');
    }
    return out;
}

} // namespace

int Conv_Version(const QString &version)
{
    QString text = version;
    const int blank = text.indexOf(QLatin1Char(' '));
    if (blank >= 0)
        text = text.mid(blank + 1);
    text = trimControl(text);
    if (text.size() < 5)
        return -1;
    const QChar digits[4] = {text.at(0), text.at(2), text.at(3), text.at(4)};
    // Only decimal digits: a reply such as "$.FFF" is no version, although "$FFF" would read as hexadecimal.
    int value = 0;
    for (const QChar d : digits) {
        if (d < QLatin1Char('0') || d > QLatin1Char('9'))
            return -1;
        value = value * 10 + (d.unicode() - '0');
    }
    return value;
}

bool isNewerVersionReply(const QByteArray &body)
{
    // Latin-1 maps every byte to one character, so a binary reply cannot fail to decode.
    const QString reply = QString::fromLatin1(body);
    const QString s = trimControl(asciiUpper(reply));
    if (s.isEmpty() || s == QLatin1String("VER. 0.000"))
        return false;
    const int local = Conv_Version(Product::Version);
    const int remote = Conv_Version(trimControl(reply));
    return local != -1 && remote != -1 && remote > local;
}

bool Check_Version(HttpClient &http, const VersionService &service)
{
    const HttpClient::Headers headers = {
        {QByteArrayLiteral("Accept"), VersionCheck::AcceptHeader},
        {QByteArrayLiteral("User-Agent"), VersionCheck::UserAgentHeader},
    };
    const std::optional<QByteArray> body = http.get(service.host, service.port, Product::versionQueryPath(), headers,
                                                    VersionCheck::TimeoutMs, VersionCheck::MaxReplyBytes);
    return body && isNewerVersionReply(*body);
}
