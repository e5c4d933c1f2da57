#include "PlatformServices.h"

#include <QtTest>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

// The serial port list of Windows: the texts of the values of HARDWARE\DEVICEMAP\SERIALCOMM.
// The tests fill a key of their own under HKEY_CURRENT_USER the way the serial drivers fill that one.
namespace {

#ifdef Q_OS_WIN
const QString TestKey = QStringLiteral("Software\\Korvane\\SW40917 serial port test");

const wchar_t *wide(const QString &text)
{
    return reinterpret_cast<const wchar_t *>(text.utf16());
}

// Writes a value as the drivers do; `bytes` is the stored size (a text may lack its final zero).
bool setValue(HKEY key, const QString &name, DWORD type, const void *data, DWORD bytes)
{
    return ::RegSetValueExW(key, wide(name), 0, type, static_cast<const BYTE *>(data), bytes) == ERROR_SUCCESS;
}

bool setText(HKEY key, const QString &name, const QString &text, bool withFinalZero = true)
{
    return setValue(key, name, REG_SZ, text.utf16(), DWORD((text.size() + (withFinalZero ? 1 : 0)) * 2));
}
#endif

} // namespace

class TestSerialPorts : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void portsAreTheValuesTexts();
    void noKeyMeansNoPort();
    void realListReadsTheDeviceMap();
};

void TestSerialPorts::init()
{
#ifndef Q_OS_WIN
    QSKIP("Linux lists the serial ports through Qt Serial Port; the registry is Windows's");
#endif
}

void TestSerialPorts::cleanup()
{
#ifdef Q_OS_WIN
    ::RegDeleteKeyW(HKEY_CURRENT_USER, wide(TestKey));
#endif
}

void TestSerialPorts::portsAreTheValuesTexts()
{
#ifdef Q_OS_WIN
    HKEY key = nullptr;
    QCOMPARE(::RegCreateKeyExW(HKEY_CURRENT_USER, wide(TestKey), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
             LONG(ERROR_SUCCESS));
    const DWORD number = 7;
    const bool written = setText(key, "\\Device\\Serial0", "COM10") && setText(key, "\\Device\\Serial1", "COM2") &&
                         setText(key, "\\Device\\VCP0", "COM1") &&
                         // Stored without its final zero, in a value the longest of all.
                         setText(key, "\\Device\\ProlificSerial_with_a_long_device_name0", "COM3", false) &&
                         // Not a port: not text, empty, or only blanks.
                         setValue(key, "\\Device\\Number", REG_DWORD, &number, sizeof number) &&
                         setText(key, "\\Device\\Empty", QString()) && setText(key, "\\Device\\Blank", "  ") &&
                         // Two drivers naming the same port list it once.
                         setText(key, "\\Device\\Serial2", "COM2");
    ::RegCloseKey(key);
    QVERIFY(written);
    QCOMPARE(serialPortNamesInRegistry(RegistryRoot::CurrentUser, TestKey),
             (QStringList{"COM1", "COM2", "COM3", "COM10"}));
#endif
}

void TestSerialPorts::noKeyMeansNoPort()
{
#ifdef Q_OS_WIN
    QCOMPARE(serialPortNamesInRegistry(RegistryRoot::CurrentUser, TestKey), QStringList{});
#endif
}

void TestSerialPorts::realListReadsTheDeviceMap()
{
#ifdef Q_OS_WIN
    const QStringList registry =
        serialPortNamesInRegistry(RegistryRoot::LocalMachine, QStringLiteral("HARDWARE\\DEVICEMAP\\SERIALCOMM"));
    QCOMPARE(createSerialPorts()->portNames(), registry);
    qInfo("serial ports of this machine: %s", qPrintable(registry.join(QLatin1Char(' '))));
#endif
}

QTEST_GUILESS_MAIN(TestSerialPorts)
#include "tst_serialports.moc"
