#pragma once

#include "ErrorReport.h"
#include "app/AppContext.h"

#include <QDialog>

class QAbstractItemModel;
class QTableView;

class QAbstractButton;
class QKeyEvent;
class QLabel;
class QPushButton;

// Shared look of the program's windows: background, font, the title band with the software code
// (L_SW_Code) and the description line (L_SW_Desc), buttons that never act on Enter by themselves.
class DialogBase : public QDialog
{
    Q_OBJECT
public:
    DialogBase(AppContext &context, QWidget *parent = nullptr);

    // Puts the current catalog texts on the window's controls.
    virtual void Set_Lang() = 0;

    static const QColor &background();
    static void applyLook(QWidget *window);
    // Enter and Return press the push button that has the focus, as on Windows; true when one was
    // pressed. Elsewhere Enter keeps the meaning the window gives it.
    static bool pressFocusedButton(QWidget *window, QKeyEvent *event);

protected:
    void keyPressEvent(QKeyEvent *event) override;

    AppContext &m_ctx;
    QString text(int index) const { return m_ctx.text(index); }
    Messages &messages() const { return *m_ctx.messages; }

    // Title band 69 pixels high, width of the window; returns the band (objectName P_Title).
    QWidget *makeTitleBand(int width);
    QLabel *titleCode() const { return m_titleCode; }
    QLabel *titleDescription() const { return m_titleDescription; }

    QPushButton *makeButton(QWidget *parent, const QString &objectName, const QRect &geometry);
    // Runs the command on click through the general error report.
    void onClick(QAbstractButton *button, const std::function<void()> &command);
    // A label with its objectName at a fixed place; the window sets its text in Set_Lang.
    static QLabel *makeLabel(QWidget *parent, const QString &objectName, const QRect &geometry);
    // A read-only table of whole rows over the model, one row chosen at a time; one Tab stop (Tab,
    // Shift+Tab and Ctrl+Tab leave it, the arrow keys move inside).
    static QTableView *makeRowTable(QWidget *parent, const QString &objectName, const QRect &geometry,
                                    QAbstractItemModel *model);
    // Centred on the screen the window is on (on showing: the window manager may place it elsewhere).
    void centreOnScreen();
    // Fixed client size, close box only.
    void setFixedClientSize(int width, int height);
    // Each opening also brings the names and descriptions read by assistive technology up to date.
    void showEvent(QShowEvent *event) override;

private:
    QLabel *m_titleCode = nullptr;
    QLabel *m_titleDescription = nullptr;
};
