#pragma once

#include "DialogBase.h"

#include <QStringList>
#include <functional>

class QCheckBox;
class QRadioButton;
class QTabWidget;
class ClickableLabel;

// Software options: interface language (six language files a page, each a radio button with its flag
// beside it, the language in use marked), the internet options with the version check on demand, and
// the two table options.
class TFSoftOptions : public DialogBase
{
    Q_OBJECT
public:
    static constexpr int SlotsPerPage = 6;

    explicit TFSoftOptions(AppContext &context, QWidget *parent = nullptr);
    void Set_Lang() override;
    // The main window's Change_Language, run after a confirmed language switch.
    void setChangeLanguage(std::function<void()> changeLanguage) { m_changeLanguage = std::move(changeLanguage); }

    // File names (with extension) of the language files found at the last showing, sorted.
    QStringList SL_Languages;
    // Page of the language list on display, from 1.
    int Show_Page = 1;
    // Language chosen in this showing; becomes the stored language on OK.
    QString Language_In_Use;

    void Create_Lang_List();
    void Update_Lang_Page(int page);
    void Btn_NextClick(bool next);
    // Slot 1 to 6 of the page on display.
    void LangClick(int slot);
    void Update_CheckBox();
    void Btn_Check_UpdateClick();
    void Btn_OKClick();

    // The language files of a folder that the list offers: ordinary files only, sorted ignoring case.
    static QStringList languageFiles(const QString &folder);

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormShow();
    int pageCount() const;
    void showSelectedAndPage();
    void showCheckResult();
    void openLink(const QString &link);

    std::function<void()> m_changeLanguage;
    QTabWidget *PC_Options;
    QWidget *TS_Language;
    QWidget *TS_Con_Options;
    QWidget *TS_Soft_Settings;
    QLabel *L_Sel_Lang;
    ClickableLabel *I_L[SlotsPerPage];
    QRadioButton *L_L[SlotsPerPage];
    QLabel *L_Page_Lang;
    QPushButton *Btn_Prev;
    QPushButton *Btn_Next;
    QCheckBox *CB_En_Con;
    QCheckBox *CB_Update;
    QPushButton *Btn_Check_Update;
    QLabel *LL_Check_Update;
    QCheckBox *CB_Soft_Set_Jump_Table;
    QCheckBox *CB_DoubleClick_Auto_Size;
    QPushButton *Btn_OK;
    QPushButton *Btn_Cancel;
    // Result of the last check on demand, so that a language switch can re-word it.
    bool m_newerFound = false;
    bool m_checkRunning = false;
};
