#include "platform/SystemInfo.h"

#include "support/ScriptedPrompts.h"

#include <QSysInfo>
#include <QTest>

#include <limits>

namespace {

const QLocale German(QLocale::German, QLocale::Germany);
const QLocale English(QLocale::English, QLocale::UnitedStates);

// A machine with 62.8 GB of memory and 16 GB of swap, as its kernel reports it.
const QByteArray LargeMachine = "MemTotal:       65842516 kB\n"
                                "MemFree:         1520032 kB\n"
                                "MemAvailable:   48291044 kB\n"
                                "Buffers:          912344 kB\n"
                                "Cached:         40126628 kB\n"
                                "SwapCached:         1024 kB\n"
                                "SwapTotal:      16777212 kB\n"
                                "SwapFree:       16502108 kB\n"
                                "HugePages_Total:       0\n"
                                "Hugepagesize:       2048 kB\n";

} // namespace

class SystemInfoTest : public QObject {
    Q_OBJECT

private slots:
    void windowsVersionText_followsTheTable_data();
    void windowsVersionText_followsTheTable();

    void osReleasePrettyName_undoesShellQuoting_data();
    void osReleasePrettyName_undoesShellQuoting();
    void linuxVersionText_namesDistributionAndKernel();
    void operatingSystemText_namesThisMachinesKernel();

    void memInfo_figuresAboveFourGigabytesAreKept();
    void memInfo_missingOrDamagedLines();
    void formatKilobytes_roundsAndGroups_data();
    void formatKilobytes_roundsAndGroups();

    void showShellError_table_data();
    void showShellError_table();
    void firstInstalledTool_keepsTheListsOrder();
};

void SystemInfoTest::windowsVersionText_followsTheTable_data()
{
    QTest::addColumn<quint32>("platformId");
    QTest::addColumn<quint32>("major");
    QTest::addColumn<quint32>("minor");
    QTest::addColumn<quint32>("build");
    QTest::addColumn<QString>("csd");
    QTest::addColumn<QString>("expected");

    QTest::newRow("Win32s") << 0u << 3u << 10u << 0u << "" << "Win32s unter Windows 3.x 3.";
    QTest::newRow("95, no service pack: three blanks")
        << 1u << 4u << 0u << 950u << "" << "Windows 95   4.00";
    QTest::newRow("98 second edition") << 1u << 4u << 10u << 2222u << "A" << "Windows 98SE  4.10";
    QTest::newRow("98, A with blanks is not SE") << 1u << 4u << 10u << 2222u << " A " << "Windows 98  4.10";
    QTest::newRow("98") << 1u << 4u << 10u << 1998u << "" << "Windows 98  4.10";
    QTest::newRow("ME") << 1u << 4u << 90u << 3000u << "" << "Windows ME  4.90";
    QTest::newRow("9x with an unknown minor") << 1u << 4u << 5u << 0u << "" << " 4.";
    QTest::newRow("NT 4") << 2u << 4u << 0u << 1381u << "Service Pack 6" << "Windows NT 4.0  Build: 1381 (Service Pack 6)";
    QTest::newRow("NT 3.51 keeps empty parentheses")
        << 2u << 3u << 51u << 1057u << "" << "Windows NT 3.51  Build: 1057 ()";
    QTest::newRow("2000") << 2u << 5u << 0u << 2195u << "Service Pack 4"
                          << "Windows 2000 5.0  Build: 2195 (Service Pack 4)";
    QTest::newRow("XP SP2") << 2u << 5u << 1u << 2600u << "Service Pack 2"
                            << "Windows XP 5.1  Build: 2600 (Service Pack 2)";
    QTest::newRow("XP without service pack: no parentheses")
        << 2u << 5u << 1u << 2600u << "" << "Windows XP 5.1  Build: 2600";
    QTest::newRow("NT 5.2 is not in the table") << 2u << 5u << 2u << 3790u << "Service Pack 1" << " 5.";
    QTest::newRow("NT 6 is not in the table") << 2u << 6u << 0u << 6000u << "" << " 6.";
    QTest::newRow("an unknown platform") << 3u << 4u << 0u << 0u << "" << " 4.";
}

void SystemInfoTest::windowsVersionText_followsTheTable()
{
    QFETCH(quint32, platformId);
    QFETCH(quint32, major);
    QFETCH(quint32, minor);
    QFETCH(quint32, build);
    QFETCH(QString, csd);
    QFETCH(QString, expected);
    QCOMPARE(WindowsVersionText({platformId, major, minor, build, csd}), expected);
}

void SystemInfoTest::osReleasePrettyName_undoesShellQuoting_data()
{
    QTest::addColumn<QByteArray>("osRelease");
    QTest::addColumn<QString>("expected");

    QTest::newRow("double quotes") << QByteArray("NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 "
                                                 "(bookworm)\"\nVERSION_ID=\"12\"\n")
                                   << "Debian GNU/Linux 12 (bookworm)";
    QTest::newRow("single quotes") << QByteArray("PRETTY_NAME='Fedora Linux 39 (Workstation Edition)'\n")
                                   << "Fedora Linux 39 (Workstation Edition)";
    QTest::newRow("no quotes") << QByteArray("ID=arch\nPRETTY_NAME=Arch\n") << "Arch";
    QTest::newRow("escapes inside double quotes")
        << QByteArray("PRETTY_NAME=\"Say \\\"hi\\\" for \\$5 \\\\ \\n\"\n") << "Say \"hi\" for $5 \\ \\n";
    QTest::newRow("quoted and unquoted pieces") << QByteArray("PRETTY_NAME=Ubuntu\" 24.04\"' LTS'\n")
                                                << "Ubuntu 24.04 LTS";
    QTest::newRow("a comment after the value") << QByteArray("PRETTY_NAME=\"Alpine Linux v3.19\" # edge\n")
                                               << "Alpine Linux v3.19";
    QTest::newRow("commented out") << QByteArray("#PRETTY_NAME=\"Old\"\nNAME=x\n") << "";
    QTest::newRow("a longer key is another key") << QByteArray("PRETTY_NAME_EXTRA=\"No\"\n") << "";
    QTest::newRow("the later assignment wins") << QByteArray("PRETTY_NAME=\"First\"\nPRETTY_NAME=\"Second\"\n")
                                               << "Second";
    QTest::newRow("empty file") << QByteArray() << "";
}

void SystemInfoTest::osReleasePrettyName_undoesShellQuoting()
{
    QFETCH(QByteArray, osRelease);
    QFETCH(QString, expected);
    QCOMPARE(OsReleasePrettyName(osRelease), expected);
}

void SystemInfoTest::linuxVersionText_namesDistributionAndKernel()
{
    QCOMPARE(LinuxVersionText("Debian GNU/Linux 12 (bookworm)", "Linux", "6.1.0-13-amd64"),
             QString::fromUtf8("Debian GNU/Linux 12 (bookworm) · Linux 6.1.0-13-amd64"));
    // The default os-release gives a distribution that names none.
    QCOMPARE(LinuxVersionText("", "Linux", "6.8.0"), QString::fromUtf8("Linux · Linux 6.8.0"));
    QCOMPARE(LinuxVersionText("Arch Linux", "", ""), QString("Arch Linux"));
    QCOMPARE(LinuxVersionText("Arch Linux", "Linux", ""), QString::fromUtf8("Arch Linux · Linux"));
}

void SystemInfoTest::operatingSystemText_namesThisMachinesKernel()
{
    const QString text = OperatingSystemText();
    QVERIFY2(text.endsWith(QStringLiteral(" · Linux ") + QSysInfo::kernelVersion()), qPrintable(text));
    QVERIFY2(!text.startsWith(QStringLiteral(" · ")), qPrintable(text));
}

void SystemInfoTest::memInfo_figuresAboveFourGigabytesAreKept()
{
    // A 32-bit figure would stop at 4 GB (4194303 KB) or wrap around.
    const MemoryStatus status = ParseMemInfo(LargeMachine);
    QCOMPARE(status.totalPhys, Q_UINT64_C(65842516) * 1024);
    QCOMPARE(status.availPhys, Q_UINT64_C(48291044) * 1024);
    QCOMPARE(status.totalPageFile, Q_UINT64_C(16777212) * 1024);
    QCOMPARE(status.availPageFile, Q_UINT64_C(16502108) * 1024);
    QCOMPARE(FormatKilobytes(status.totalPhys, German), QString("65.842.516 KB"));
    QCOMPARE(FormatKilobytes(status.availPageFile, German), QString("16.502.108 KB"));
}

void SystemInfoTest::memInfo_missingOrDamagedLines()
{
    // Kernels before 3.14 have no MemAvailable: the free memory stands in for it.
    const MemoryStatus old = ParseMemInfo("MemTotal: 1024 kB\nMemFree: 512 kB\nSwapTotal: 0 kB\nSwapFree: 0 kB\n");
    QCOMPARE(old.availPhys, Q_UINT64_C(512) * 1024);
    QCOMPARE(old.totalPageFile, Q_UINT64_C(0));

    // MemAvailable wins over MemFree wherever it stands; a damaged figure counts 0; no swap lines at all.
    const MemoryStatus mixed = ParseMemInfo("MemFree: 7 kB\nMemTotal: many kB\nMemAvailable: 9 kB\n");
    QCOMPARE(mixed.totalPhys, Q_UINT64_C(0));
    QCOMPARE(mixed.availPhys, Q_UINT64_C(9) * 1024);
    QCOMPARE(mixed.availPageFile, Q_UINT64_C(0));

    // A line without unit is a plain count; an unknown unit is not guessed at; a huge figure saturates.
    const MemoryStatus units =
        ParseMemInfo("MemTotal: 4096\nSwapTotal: 3 MB\nSwapFree: 99999999999999999 kB\nMemAvailable:\n");
    QCOMPARE(units.totalPhys, Q_UINT64_C(4096));
    QCOMPARE(units.totalPageFile, Q_UINT64_C(0));
    QCOMPARE(units.availPageFile, std::numeric_limits<quint64>::max());
    QCOMPARE(units.availPhys, Q_UINT64_C(0));

    const MemoryStatus none = ReadMemoryStatus(QStringLiteral("/no/such/meminfo"));
    QCOMPARE(none.totalPhys + none.availPhys + none.totalPageFile + none.availPageFile, Q_UINT64_C(0));
    QVERIFY(ReadMemoryStatus().totalPhys > 0);
}

void SystemInfoTest::formatKilobytes_roundsAndGroups_data()
{
    QTest::addColumn<quint64>("bytes");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("expected");

    QTest::newRow("512 MB, German") << Q_UINT64_C(536870912) << German << "524.288 KB";
    QTest::newRow("512 MB, English") << Q_UINT64_C(536870912) << English << "524,288 KB";
    QTest::newRow("C locale groups too") << Q_UINT64_C(536870912) << QLocale::c() << "524,288 KB";
    QTest::newRow("below half a KB") << Q_UINT64_C(511) << German << "0 KB";
    QTest::newRow("half a KB rounds up") << Q_UINT64_C(512) << German << "1 KB";
    QTest::newRow("exactly 4 GB") << Q_UINT64_C(4294967296) << German << "4.194.304 KB";
    QTest::newRow("the largest figure") << std::numeric_limits<quint64>::max() << German
                                        << "18.014.398.509.481.984 KB";
}

void SystemInfoTest::formatKilobytes_roundsAndGroups()
{
    QFETCH(quint64, bytes);
    QFETCH(QLocale, locale);
    QFETCH(QString, expected);
    QCOMPARE(FormatKilobytes(bytes, locale), expected);
}

void SystemInfoTest::showShellError_table_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<QString>("text");

    QTest::newRow("0") << 0 << true
                       << "Zuwenig Speicher, ausführbare Datei war zerstört, Relokationswerte waren ungültig";
    QTest::newRow("2") << 2 << true << "Datei wurde nicht gefunden.";
    QTest::newRow("3") << 3 << true << "Verzeichnis wurde nicht gefunden.";
    QTest::newRow("5") << 5 << true
                       << "Fehler beim gemeinsamen Zugriff auf eine Datei im Netz oder Fehler beim Zugriff auf eine "
                          "gesperrte Datei im Netz.";
    QTest::newRow("6") << 6 << true << "Bibliothek forderte separate Datensegmente für jede Task an.";
    QTest::newRow("8") << 8 << true << "Zuwenig Speicher, um die Anwendung zu starten.";
    QTest::newRow("10") << 10 << true << "Falsche Windows-Version.";
    QTest::newRow("11") << 11 << true
                        << "Ungültige ausführbare Datei. Entweder keine Windows-Anwendung oder Fehler in der "
                           "EXE-Datei.";
    QTest::newRow("12") << 12 << true << "Anwendung für ein anderes Betriebssystem.";
    QTest::newRow("13") << 13 << true << "Anwendung für MS-DOS 4.0.";
    QTest::newRow("14") << 14 << true << "Typ der ausführbaren Datei unbekannt.";
    QTest::newRow("15") << 15 << true
                        << "Versuch, eine Real-Mode-Anwendung (für eine frühere Windows-Version) zu laden.";
    QTest::newRow("16") << 16 << true
                        << "Versuch, eine zweite Instanz einer ausführbaren Datei mit mehreren Datensegmenten, die "
                           "nicht als nur lesbar gekennzeichnet waren, zu laden.";
    QTest::newRow("19") << 19 << true
                        << "Versuch, eine komprimierte ausführbare Datei zu laden. Die Datei muß dekomprimiert "
                           "werden, bevor sie geladen werden kann.";
    QTest::newRow("20") << 20 << true
                        << "Ungültige dynamische Linkbibliothek (DLL). Eine der DLLs, die benötigt wurde, um die "
                           "Anwendung auszuführen, war beschädigt.";
    QTest::newRow("1, between the rows") << 1 << true << "";
    QTest::newRow("31, no program for the link") << 31 << true << "";
    QTest::newRow("32, the last failure") << 32 << true << "";
    QTest::newRow("negative") << -2 << true << "";
    QTest::newRow("33, the first success") << 33 << false << "";
    QTest::newRow("a large success") << std::numeric_limits<int>::max() << false << "";
}

void SystemInfoTest::showShellError_table()
{
    QFETCH(int, code);
    QFETCH(bool, shown);
    QFETCH(QString, text);

    ScriptedPrompts prompts;
    ShowShellError(code);
    if (!shown) {
        QVERIFY(prompts.shown.isEmpty());
        return;
    }
    QCOMPARE(prompts.shown.size(), 1);
    QCOMPARE(prompts.shown[0].kind, QString("warning"));
    QCOMPARE(prompts.shown[0].caption, QString("Fataler Dateifehler !"));
    QCOMPARE(prompts.shown[0].text, text);
}

void SystemInfoTest::firstInstalledTool_keepsTheListsOrder()
{
    QStringList asked;
    auto finder = [&asked](const QStringList& installed) {
        return [&asked, installed](const QString& name) {
            asked << name;
            return installed.contains(name) ? QStringLiteral("/usr/bin/") + name : QString();
        };
    };
    // The list's order decides, not the order of the finder's answers; nothing after the first is looked up.
    QCOMPARE(FirstInstalledTool({"a", "b", "c"}, finder({"c", "b"})), QString("/usr/bin/b"));
    QCOMPARE(asked, QStringList({"a", "b"}));
    QCOMPARE(FirstInstalledTool({"a", "b"}, finder({})), QString());
    QCOMPARE(FirstInstalledTool({}, finder({"a"})), QString());
}

QTEST_GUILESS_MAIN(SystemInfoTest)
#include "tst_systeminfo.moc"
