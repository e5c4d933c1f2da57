// The software options dialog: the language pages, the switch, the dependent check boxes, OK and Cancel.
#include "ModalHelper.h"
#include "TFFabricoreFirmWare.h"
#include "TFSoftOptions.h"
#include "TestFiles.h"
#include "TestWorkspace.h"
#include "base/ProductIdentity.h"

#include <QAccessible>
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

class FakeHttp : public HttpClient
{
public:
    std::optional<QByteArray> body;
    std::optional<QByteArray> get(const QString &, quint16, const QString &, const Headers &, int, qint64) override
    {
        return body;
    }
};

class FakeUrlOpener : public UrlOpener
{
public:
    QStringList opened;
    void open(const QString &url) override { opened.append(url); }
};

void writeBmp(const QString &path, QColor colour)
{
    QImage image(48, 48, QImage::Format_RGB32);
    image.fill(colour);
    QVERIFY(image.save(path, "BMP"));
}

QColor flagColour(const QLabel *picture)
{
    return picture->pixmap().toImage().pixelColor(24, 24);
}

} // namespace

class TestTFSoftOptions : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void pages_data();
    void pages();
    void listsOrdinaryFilesSortedIgnoringCase();
    void flagFallbacks();
    void emptyFolderOffersNothing();
    void answerNoChangesNothing();
    void languagesReadAsNamedChoices();
    void switchThenCancelKeepsStoredLanguage();
    void dependentControls_data();
    void dependentControls();
    void updateCheckedUnderDisabledInternet();
    void okStoresCancelDoesNot();
    void checkOnDemand_data();
    void checkOnDemand();

private:
    struct Fixture
    {
        TestWorkspace ws;
        TFSoftOptions dialog{ws.context};
        QString folder() const { return ws.context.paths.LanguageFolder; }
        void addLanguages(const QStringList &names)
        {
            QDir().mkpath(folder());
            for (const QString &n : names)
                TestWorkspace::writeFile(joinPath(folder(), n + QStringLiteral(".lng")),
                                         "STR15 = " + n.toUtf8() + "\n");
        }
        template <typename T = QWidget> T *child(const QString &name) { return dialog.findChild<T *>(name); }
        QRadioButton *label(int slot) { return child<QRadioButton>(QStringLiteral("L_L%1").arg(slot)); }
        QLabel *picture(int slot) { return child<QLabel>(QStringLiteral("I_L%1").arg(slot)); }
        QStringList visibleNames()
        {
            QStringList names;
            for (int s = 1; s <= 6; ++s)
                if (label(s)->isVisible())
                    names.append(label(s)->text());
            return names;
        }
    };
};

void TestTFSoftOptions::pages_data()
{
    QTest::addColumn<int>("files");
    QTest::addColumn<QString>("firstPage");
    QTest::addColumn<bool>("nextVisible");
    QTest::addColumn<int>("slotsOnLastPage");
    QTest::addColumn<QString>("lastPage");
    QTest::newRow("one") << 1 << "Page 1 / 1" << false << 1 << "Page 1 / 1";
    QTest::newRow("exactly six") << 6 << "Page 1 / 1" << false << 6 << "Page 1 / 1";
    QTest::newRow("seven") << 7 << "Page 1 / 2" << true << 1 << "Page 2 / 2";
    QTest::newRow("twelve") << 12 << "Page 1 / 2" << true << 6 << "Page 2 / 2";
    QTest::newRow("thirteen") << 13 << "Page 1 / 3" << true << 1 << "Page 3 / 3";
}

void TestTFSoftOptions::pages()
{
    QFETCH(int, files);
    QFETCH(QString, firstPage);
    QFETCH(bool, nextVisible);
    QFETCH(int, slotsOnLastPage);
    QFETCH(QString, lastPage);
    Fixture f;
    QStringList names;
    for (int i = 0; i < files; ++i)
        names.append(QStringLiteral("Lang%1").arg(i, 2, 10, QLatin1Char('0')));
    f.addLanguages(names);
    f.dialog.show();

    auto *prev = f.child<QPushButton>(QStringLiteral("Btn_Prev"));
    auto *next = f.child<QPushButton>(QStringLiteral("Btn_Next"));
    auto *pageLabel = f.child<QLabel>(QStringLiteral("L_Page_Lang"));
    QCOMPARE(pageLabel->text(), firstPage);
    QVERIFY(!prev->isVisible());
    QCOMPARE(next->isVisible(), nextVisible);
    QCOMPARE(f.visibleNames(), names.mid(0, 6));
    QCOMPARE(f.child<QLabel>(QStringLiteral("L_Sel_Lang"))->text(), QStringLiteral("Selected Language : English"));

    while (next->isVisible())
        next->click();
    QCOMPARE(pageLabel->text(), lastPage);
    QCOMPARE(f.visibleNames().size(), slotsOnLastPage);
    QCOMPARE(f.visibleNames().last(), names.last());
    QCOMPARE(prev->isVisible(), files > 6);

    // Back to the first page; a further Previous stays there.
    while (prev->isVisible())
        prev->click();
    f.dialog.Btn_NextClick(false);
    QCOMPARE(f.dialog.Show_Page, 1);
    QCOMPARE(f.visibleNames(), names.mid(0, 6));
}

void TestTFSoftOptions::listsOrdinaryFilesSortedIgnoringCase()
{
    Fixture f;
    f.addLanguages(
        {QStringLiteral("beta"), QStringLiteral("Alpha"), QStringLiteral("Gamma"), QStringLiteral("ReadOnly")});
    const QString dir = f.folder();
    QFile::setPermissions(joinPath(dir, QStringLiteral("ReadOnly.lng")),
                          QFileDevice::ReadOwner | QFileDevice::ReadUser);
    SW_MAKE_SPECIAL_FILE(TestFiles::makeSymbolicLink(joinPath(dir, QStringLiteral("Alpha.lng")),
                                                     joinPath(dir, QStringLiteral("Link.lng"))));
    QVERIFY(QDir(dir).mkdir(QStringLiteral("Folder.lng")));
    TestWorkspace::writeFile(joinPath(dir, QStringLiteral("Notes.txt")), "x");
    TestWorkspace::writeFile(joinPath(dir, QStringLiteral("Upper.LNG")), "x");
    f.dialog.show();
    QCOMPARE(f.dialog.SL_Languages,
             QStringList({QStringLiteral("Alpha.lng"), QStringLiteral("beta.lng"), QStringLiteral("Gamma.lng")}));
}

void TestTFSoftOptions::flagFallbacks()
{
    Fixture f;
    f.addLanguages({QStringLiteral("Deutsch"), QStringLiteral("Italiano")});
    writeBmp(joinPath(f.folder(), QStringLiteral("Deutsch.bmp")), Qt::red);
    f.dialog.show();
    // Without its own flag and without DefaultFlag.bmp the picture is hidden; the name stays.
    QCOMPARE(flagColour(f.picture(1)), QColor(Qt::red));
    QVERIFY(!f.picture(2)->isVisible());
    QVERIFY(f.label(2)->isVisible());

    writeBmp(joinPath(f.folder(), QStringLiteral("DefaultFlag.bmp")), Qt::blue);
    f.dialog.hide();
    f.dialog.show();
    QCOMPARE(flagColour(f.picture(1)), QColor(Qt::red));
    QVERIFY(f.picture(2)->isVisible());
    QCOMPARE(flagColour(f.picture(2)), QColor(Qt::blue));

    // A flag that is no picture counts as missing.
    TestWorkspace::writeFile(joinPath(f.folder(), QStringLiteral("Italiano.bmp")), "not a picture");
    f.dialog.hide();
    f.dialog.show();
    QCOMPARE(flagColour(f.picture(2)), QColor(Qt::blue));
}

void TestTFSoftOptions::emptyFolderOffersNothing()
{
    Fixture f;
    f.dialog.show();
    // No radio button offers a choice of nothing.
    for (int s = 1; s <= 6; ++s)
        QVERIFY(!f.label(s)->isVisible());
    QVERIFY(!f.picture(1)->isVisible());
    QCOMPARE(f.child<QLabel>(QStringLiteral("L_Page_Lang"))->text(), QStringLiteral("Page 1 / 1"));
    QVERIFY(!f.child<QPushButton>(QStringLiteral("Btn_Next"))->isVisible());
    QTest::mouseClick(f.label(1), Qt::LeftButton);
    QCOMPARE(f.ws.messages.count(), 0);
    QCOMPARE(f.dialog.Language_In_Use, QStringLiteral("English"));
}

void TestTFSoftOptions::answerNoChangesNothing()
{
    Fixture f;
    f.addLanguages({QStringLiteral("Deutsch")});
    int switches = 0;
    f.dialog.setChangeLanguage([&switches] { ++switches; });
    f.dialog.show();
    f.ws.messages.setNextAnswer(false);
    QTest::mouseClick(f.label(1), Qt::LeftButton);
    QCOMPARE(f.ws.messages.last(), QStringLiteral("Do you want to change the Language from English to Deutsch?"));
    QCOMPARE(f.ws.messages.lastKind(), QStringLiteral("question"));
    QCOMPARE(switches, 0);
    QCOMPARE(f.dialog.Language_In_Use, QStringLiteral("English"));
    QCOMPARE(f.ws.context.text(15), QStringLiteral("New Configuration"));
}

// A screen reader reads each language as a radio button with its name, the one in use checked, and
// each flag as the picture of its language; a choice answered No leaves the mark where it was.
void TestTFSoftOptions::languagesReadAsNamedChoices()
{
    Fixture f;
    f.addLanguages({QStringLiteral("Deutsch"), QStringLiteral("English")});
    writeBmp(joinPath(f.folder(), QStringLiteral("DefaultFlag.bmp")), Qt::blue);
    f.dialog.show();
    const auto read = [&f](int slot) {
        QAccessibleInterface *choice = QAccessible::queryAccessibleInterface(f.label(slot));
        QAccessibleInterface *flag = QAccessible::queryAccessibleInterface(f.picture(slot));
        return QStringList{QString::number(choice->role()), choice->text(QAccessible::Name),
                           choice->state().checked ? QStringLiteral("checked") : QStringLiteral("-"),
                           QString::number(f.label(slot)->focusPolicy() & Qt::TabFocus), flag->text(QAccessible::Name)};
    };
    const QString radio = QString::number(QAccessible::RadioButton);
    const QString tab = QString::number(Qt::TabFocus);
    // One Tab stop for the group: the language in use.
    QCOMPARE(read(1), QStringList({radio, "Deutsch", "-", "0", "Flag: Deutsch"}));
    QCOMPARE(read(2), QStringList({radio, "English", "checked", tab, "Flag: English"}));

    f.ws.messages.setNextAnswer(false);
    QTest::mouseClick(f.label(1), Qt::LeftButton);
    QCOMPARE(f.ws.messages.lastKind(), QStringLiteral("question"));
    QCOMPARE(read(1).at(2), QStringLiteral("-"));
    QCOMPARE(read(2).at(2), QStringLiteral("checked"));
    // The language in use clicked again keeps its mark whatever the answer.
    f.ws.messages.setNextAnswer(false);
    QTest::mouseClick(f.label(2), Qt::LeftButton);
    QCOMPARE(read(2).at(2), QStringLiteral("checked"));

    QTest::mouseClick(f.label(1), Qt::LeftButton); // answered Yes
    QCOMPARE(read(1).mid(2, 2), QStringList({"checked", tab}));
    QCOMPARE(read(2).mid(2, 2), QStringList({"-", "0"}));
}

void TestTFSoftOptions::switchThenCancelKeepsStoredLanguage()
{
    TestWorkspace ws;
    QDir().mkpath(ws.context.paths.LanguageFolder);
    TestWorkspace::writeFile(joinPath(ws.context.paths.LanguageFolder, QStringLiteral("Deutsch.lng")),
                             "STR15 = Neue Konfiguration\nSTR100 = Neue Konfiguration anlegen\n"
                             "STR304 = \xc2\xb6Sprache : \xc2\xb6\nSTR313 = Abbrechen\n");
    {
        TFFabricoreFirmWare main(ws.context);
        TFSoftOptions options(ws.context, &main);
        TFFabricoreFirmWare::Dialogs dialogs;
        dialogs.softOptions = &options;
        main.setDialogs(dialogs);
        auto *newButton = main.findChild<QPushButton *>(QStringLiteral("Btn_New"));
        QCOMPARE(newButton->text(), QStringLiteral("New Configuration"));

        QString selected;
        QString cancelText;
        whenModal([&](QWidget *modal) {
            QCOMPARE(modal, &options);
            QTest::mouseClick(options.findChild<QLabel *>(QStringLiteral("I_L1")), Qt::LeftButton);
            selected = options.findChild<QLabel *>(QStringLiteral("L_Sel_Lang"))->text();
            cancelText = options.findChild<QPushButton *>(QStringLiteral("Btn_Cancel"))->text();
            options.findChild<QPushButton *>(QStringLiteral("Btn_Cancel"))->click();
        });
        main.Btn_Click(main.findChild<QPushButton *>(QStringLiteral("Btn_Opz")));

        QCOMPARE(selected, QStringLiteral("Sprache : Deutsch"));
        QCOMPARE(cancelText, QStringLiteral("Abbrechen"));
        QCOMPARE(newButton->text(), QStringLiteral("Neue Konfiguration")); // switched now, in every window
        // A dialog first opened after the switch is made then, in the language now in use.
        QString newProjectTitle;
        whenModal([&](QWidget *modal) { newProjectTitle = modal->windowTitle(); });
        main.Btn_Click(newButton);
        QCOMPARE(newProjectTitle, QStringLiteral("Neue Konfiguration anlegen"));
        QCOMPARE(ws.context.settings.language, QStringLiteral("English"));
        QVERIFY(!QFile::exists(ws.context.settingsPath())); // Cancel writes nothing
        main.close();
    }
    // The next start reads the settings written on close: the previous language is back.
    AppContext next;
    next.messages = &ws.messages;
    next.paths.setProgramFolder(ws.programFolder());
    TFFabricoreFirmWare restarted(next);
    QCOMPARE(next.settings.language, QStringLiteral("English"));
    QCOMPARE(restarted.findChild<QPushButton *>(QStringLiteral("Btn_New"))->text(),
             QStringLiteral("New Configuration"));
}

void TestTFSoftOptions::dependentControls_data()
{
    QTest::addColumn<bool>("internet");
    QTest::addColumn<bool>("update");
    QTest::addColumn<bool>("updateEnabled");
    QTest::addColumn<bool>("buttonEnabled");
    QTest::newRow("both on") << true << true << true << true;
    QTest::newRow("internet only") << true << false << true << false;
    QTest::newRow("update only") << false << true << false << false;
    QTest::newRow("both off") << false << false << false << false;
}

void TestTFSoftOptions::dependentControls()
{
    QFETCH(bool, internet);
    QFETCH(bool, update);
    QFETCH(bool, updateEnabled);
    QFETCH(bool, buttonEnabled);
    Fixture f;
    f.dialog.show();
    auto *en = f.child<QCheckBox>(QStringLiteral("CB_En_Con"));
    auto *up = f.child<QCheckBox>(QStringLiteral("CB_Update"));
    auto *button = f.child<QPushButton>(QStringLiteral("Btn_Check_Update"));
    // Clicked in both orders: the states follow every change.
    up->setChecked(update);
    en->setChecked(internet);
    QCOMPARE(up->isEnabled(), updateEnabled);
    QCOMPARE(button->isEnabled(), buttonEnabled);
    en->setChecked(!internet);
    en->setChecked(internet);
    QCOMPARE(up->isEnabled(), updateEnabled);
    QCOMPARE(button->isEnabled(), buttonEnabled);
}

void TestTFSoftOptions::updateCheckedUnderDisabledInternet()
{
    Fixture f;
    f.ws.context.settings.enable_internet = false;
    f.ws.context.settings.enable_update = true;
    f.dialog.show();
    auto *up = f.child<QCheckBox>(QStringLiteral("CB_Update"));
    QVERIFY(up->isChecked());
    QVERIFY(!up->isEnabled());
    QVERIFY(!f.child<QPushButton>(QStringLiteral("Btn_Check_Update"))->isEnabled());
    f.child<QPushButton>(QStringLiteral("Btn_OK"))->click();
    QCOMPARE(f.dialog.result(), int(QDialog::Accepted));
    QVERIFY(f.ws.context.settings.enable_update);
    QVERIFY(!f.ws.context.settings.enable_internet);
    QVERIFY(!f.ws.context.settings.versionCheckEnabled());
}

void TestTFSoftOptions::okStoresCancelDoesNot()
{
    Fixture f;
    f.addLanguages({QStringLiteral("Deutsch")});
    f.dialog.show();
    QTest::mouseClick(f.label(1), Qt::LeftButton); // answered Yes
    for (const char *name : {"CB_En_Con", "CB_Update", "CB_Soft_Set_Jump_Table", "CB_DoubleClick_Auto_Size"})
        f.child<QCheckBox>(QLatin1String(name))->setChecked(true);
    f.child<QPushButton>(QStringLiteral("Btn_Cancel"))->click();
    QCOMPARE(f.dialog.result(), int(QDialog::Rejected));
    const AppSettings &s = f.ws.context.settings;
    QCOMPARE(s.language, QStringLiteral("English"));
    QVERIFY(!s.enable_internet && !s.enable_update && !s.enable_jump_field_tables && !s.Double_Click_Auto_Size);

    // Shown again: the marks come from the settings, not from the cancelled showing.
    f.dialog.show();
    QVERIFY(!f.child<QCheckBox>(QStringLiteral("CB_En_Con"))->isChecked());
    QCOMPARE(f.dialog.Language_In_Use, QStringLiteral("English"));
    QTest::mouseClick(f.label(1), Qt::LeftButton);
    for (const char *name : {"CB_En_Con", "CB_Update", "CB_Soft_Set_Jump_Table", "CB_DoubleClick_Auto_Size"})
        f.child<QCheckBox>(QLatin1String(name))->setChecked(true);
    f.child<QPushButton>(QStringLiteral("Btn_OK"))->click();
    QCOMPARE(s.language, QStringLiteral("Deutsch"));
    QVERIFY(s.enable_internet && s.enable_update && s.enable_jump_field_tables && s.Double_Click_Auto_Size);
}

void TestTFSoftOptions::checkOnDemand_data()
{
    QTest::addColumn<bool>("newer");
    QTest::newRow("newer version") << true;
    QTest::newRow("no newer version") << false;
}

void TestTFSoftOptions::checkOnDemand()
{
    QFETCH(bool, newer);
    Fixture f;
    FakeHttp http;
    FakeUrlOpener opener;
    f.ws.context.platform.http = &http;
    f.ws.context.platform.urlOpener = &opener;
    if (newer)
        http.body = QByteArray("VER. 2.005");
    f.ws.context.settings.enable_internet = true;
    f.ws.context.settings.enable_update = true;
    f.dialog.show();
    auto *link = f.child<QLabel>(QStringLiteral("LL_Check_Update"));
    QVERIFY(link->isHidden());
    f.child<QPushButton>(QStringLiteral("Btn_Check_Update"))->click();
    QVERIFY(!link->isHidden());
    if (newer) {
        QCOMPARE(link->text(),
                 QStringLiteral("<a href=\"%1\">%2</a>").arg(Product::downloadPageUrl(), f.ws.context.text(314)));
        Q_EMIT link->linkActivated(Product::downloadPageUrl());
        QCOMPARE(opener.opened, QStringList(Product::downloadPageUrl()));
    } else {
        QCOMPARE(link->text(), QStringLiteral("No Update Available"));
    }
    QCOMPARE(f.ws.messages.count(), 0);
    // Hidden again at the next showing.
    f.dialog.hide();
    f.dialog.show();
    QVERIFY(link->isHidden());
}

QTEST_MAIN(TestTFSoftOptions)
#include "tst_tfsoftoptions.moc"
