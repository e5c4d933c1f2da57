#pragma once

#include <QObject>
#include <QString>

#include <functional>

struct AppContext;
class QWidget;

// What the main window's "Report..." button does: asks for the file (HTML or PDF by its type), writes the
// report of the active configuration's saved documents there, and offers to open it in the desktop's
// viewer. A child of the window, so tests find it and replace its file chooser.
class ConfigurationReportWriter : public QObject
{
    Q_OBJECT
public:
    ConfigurationReportWriter(AppContext &context, QWidget &window);

    // The file to write, offered with the suggested path; empty when the user gives none. Tests replace it.
    std::function<QString(const QString &suggested)> chooseFile;

    // Throws AppError when the documents cannot be read or the file cannot be written.
    void writeReport();

    // A PDF when the file's name ends in .pdf (any letter case), else HTML.
    static bool isPdf(const QString &path);

private:
    QString askFile(const QString &suggested);

    AppContext &m_ctx;
    QWidget &m_window;
};
