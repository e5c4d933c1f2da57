#pragma once

#include "base/SafeFile.h"

#include <QFileDevice>
#include <QFileInfo>
#include <QString>

// The real steps of a safe write, except one step ("write", "sync" or "commit") of one file
// (named as the target, without the temporary's ending), which fails.
class FailingSteps : public SafeFile::Steps
{
public:
    FailingSteps(QString step, QString file)
        : m_step(std::move(step))
        , m_file(std::move(file))
    {}
    QString write(QFileDevice &file, const QByteArray &bytes) override
    {
        return fails("write", file.fileName()) ? injected() : Steps::write(file, bytes);
    }
    QString sync(QFileDevice &file) override { return fails("sync", file.fileName()) ? injected() : Steps::sync(file); }
    QString replace(const QString &from, const QString &to) override
    {
        return fails("commit", to) ? injected() : Steps::replace(from, to);
    }
    static QString injected() { return QStringLiteral("injected failure"); }

private:
    bool fails(const char *step, const QString &path) const
    {
        const QString name = QFileInfo(path).fileName();
        return m_step == QLatin1String(step) && (name == m_file || name == SafeFile::temporaryPath(m_file));
    }
    QString m_step;
    QString m_file;
};
