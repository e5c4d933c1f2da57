#pragma once

#include <QByteArray>
#include <QString>

// Values that survive from one run to the next, stored in Fabricor.xml beside the program.
struct AppSettings
{
    QString projectname;
    QString ipaddress = QStringLiteral("192.168.2.205");
    QString language = QStringLiteral("English");
    bool enable_internet = false;
    bool enable_update = false;
    bool enable_jump_field_tables = false;
    bool Double_Click_Auto_Size = false;
    // The register monitor's window size as the user left it; 0 none yet (the window then fits its
    // table). Written only once there is one, so that the file is as before until then.
    int monitorWidth = 0;
    int monitorHeight = 0;

    // Reads the file; a missing file, a missing element or a file that is not well-formed gives
    // that value's default, and so does a configuration or language name that is not a plain name
    // (isValidProjectName). Never fails.
    static AppSettings read(const QString &path);
    // Writes the file whole; throws AppError with the platform's message when it cannot.
    void write(const QString &path) const;
    // As write, but a file that holds these very bytes already is left as it is: closing the program
    // without a change writes nothing to the disk.
    void update(const QString &path) const;
    // The bytes write puts in the file.
    QByteArray toBytes() const;

    bool versionCheckEnabled() const { return enable_internet && enable_update; }
};
