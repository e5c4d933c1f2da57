#include "AppSettings.h"

#include "base/AppError.h"
#include "base/BoundedFile.h"
#include "base/ParseIntOrDefault.h"
#include "base/ProjectName.h"
#include "base/SafeFile.h"
#include "documents/ProjectDocument.h"

#include <QFileInfo>

namespace PD = ProjectDocument;

namespace {

constexpr int MinMonitorSide = 100;
constexpr int MaxMonitorSide = 20000;

} // namespace

AppSettings AppSettings::read(const QString &path)
{
    AppSettings s;
    if (!QFileInfo::exists(path))
        return s;
    QDomDocument doc;
    try {
        doc = PD::load(path);
    } catch (const AppError &) {
        // Start-up must complete: a damaged settings file counts as a missing one.
        return s;
    }
    const QDomNode root = PD::firstNode(doc);
    s.projectname = PD::childText(PD::firstChildElement(root, QStringLiteral("lastproj")),
                                  QStringLiteral("projectname"), QString());
    s.ipaddress = PD::childText(PD::firstChildElement(root, QStringLiteral("lastipadd")), QStringLiteral("ipaddress"),
                                s.ipaddress);
    s.language =
        PD::childText(PD::firstChildElement(root, QStringLiteral("lastlang")), QStringLiteral("language"), s.language);
    const QDomElement options = PD::firstChildElement(root, QStringLiteral("lastinternet"));
    auto option = [&options](const char *name) {
        return PD::childText(options, QString::fromLatin1(name), QString()) == QLatin1String("1");
    };
    // The two names choose a folder under PROJECTS and a file under LANGUAGE: a name that a user
    // could not have typed ("../x", a separator, a control character) is not used.
    if (!s.projectname.isEmpty() && !isValidProjectName(s.projectname))
        s.projectname.clear();
    if (!isValidProjectName(s.language))
        s.language = AppSettings().language;
    s.enable_internet = option("enable_internet");
    s.enable_update = option("enable_update");
    s.enable_jump_field_tables = option("enable_jump_field_tables");
    s.Double_Click_Auto_Size = option("Double_Click_Auto_Size");
    const QDomElement monitor = PD::firstChildElement(root, QStringLiteral("lastmonitor"));
    const int width = ParseIntOrDefault(PD::childText(monitor, QStringLiteral("width"), QString()), 0);
    const int height = ParseIntOrDefault(PD::childText(monitor, QStringLiteral("height"), QString()), 0);
    // A size no screen has is no size the user left.
    if (width >= MinMonitorSide && width <= MaxMonitorSide && height >= MinMonitorSide && height <= MaxMonitorSide) {
        s.monitorWidth = width;
        s.monitorHeight = height;
    }
    return s;
}

QByteArray AppSettings::toBytes() const
{
    QDomDocument doc = PD::create(QStringLiteral("Conf_Settings"), false);
    QDomElement root = PD::root(doc);
    PD::appendTextElement(PD::appendElement(root, QStringLiteral("lastproj")), QStringLiteral("projectname"),
                          projectname);
    PD::appendTextElement(PD::appendElement(root, QStringLiteral("lastipadd")), QStringLiteral("ipaddress"), ipaddress);
    PD::appendTextElement(PD::appendElement(root, QStringLiteral("lastlang")), QStringLiteral("language"), language);
    QDomElement options = PD::appendElement(root, QStringLiteral("lastinternet"));
    auto flag = [](bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); };
    PD::appendTextElement(options, QStringLiteral("enable_internet"), flag(enable_internet));
    PD::appendTextElement(options, QStringLiteral("enable_update"), flag(enable_update));
    PD::appendTextElement(options, QStringLiteral("enable_jump_field_tables"), flag(enable_jump_field_tables));
    PD::appendTextElement(options, QStringLiteral("Double_Click_Auto_Size"), flag(Double_Click_Auto_Size));
    if (monitorWidth > 0 && monitorHeight > 0) {
        QDomElement monitor = PD::appendElement(root, QStringLiteral("lastmonitor"));
        PD::appendTextElement(monitor, QStringLiteral("width"), QString::number(monitorWidth));
        PD::appendTextElement(monitor, QStringLiteral("height"), QString::number(monitorHeight));
    }
    return PD::toBytes(doc);
}

void AppSettings::write(const QString &path) const
{
    SafeFile::write(path, toBytes());
}

void AppSettings::update(const QString &path) const
{
    const QByteArray bytes = toBytes();
    // A link or a folder in the file's place is never a match: the write refuses it, as at every close.
    if (!QFileInfo(path).isSymLink()) {
        QString error;
        const std::optional<QByteArray> stored = BoundedFile::read(path, &error);
        if (stored && *stored == bytes)
            return;
    }
    SafeFile::write(path, bytes);
}
