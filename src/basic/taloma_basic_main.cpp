// taloma-basic: the editor's Sort and Re-Number commands on a program file, for scripts and for checking
// a program before it is sent. The result goes to standard output exactly as the editor would leave the
// lines (with the clean-up of an edited document: lines trimmed, empty lines removed).

#include "basic/LineSyntax.h"
#include "basic/ProgramText.h"
#include "basic/Renumber.h"
#include "basic/SortProgram.h"
#include "editor/ProgramFile.h"
#include "platform/Errors.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>

#include <cstdio>
#include <optional>

namespace {

constexpr int ExitFailure = 1; // a conversion error or an unreadable file
constexpr int ExitUsage = 2;

const char* const Usage = "Usage: taloma-basic sort [FILE]\n"
                          "       taloma-basic renumber [--start N] [--step N] [FILE]\n"
                          "\n"
                          "Sorts a BASIC program by line number, or sorts and renumbers it with the\n"
                          "line references after GOTO, GOSUB, THEN, ELSE, ONERR, ONEX1 and ONTIME\n"
                          "rewritten. Start and step default to 10. Without FILE, or with \"-\",\n"
                          "standard input is read. Bytes are Latin-1 text with CR LF or LF line ends;\n"
                          "a CR not followed by LF belongs to its line, as in the editor. The result\n"
                          "goes to standard output, every line followed by LF.\n";

void printError(const QString& text)
{
    const QByteArray bytes = text.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
}

int usageError(const QString& text)
{
    printError(QStringLiteral("taloma-basic: ") + text);
    std::fputs(Usage, stderr);
    return ExitUsage;
}

std::optional<QByteArray> readInput(const QString& path)
{
    QFile file;
    bool opened = false;
    if (path == QLatin1String("-")) {
        opened = file.open(stdin, QIODevice::ReadOnly);
    } else {
        file.setFileName(path);
        opened = file.open(QIODevice::ReadOnly);
    }
    if (!opened) {
        printError(QStringLiteral("Datei %1 kann nicht geöffnet werden. %2").arg(path, file.errorString()));
        return std::nullopt;
    }
    // Pipes and devices are welcome here, so the size decides: an endless source (/dev/zero) is
    // stopped at the editor's limit instead of filling the memory.
    QByteArray data;
    char buffer[65536];
    for (;;) {
        const qint64 n = file.read(buffer, sizeof buffer);
        if (n < 0) {
            printError(QStringLiteral("Datei %1 kann nicht gelesen werden. %2").arg(path, file.errorString()));
            return std::nullopt;
        }
        if (n == 0)
            return data;
        if (data.size() + n > ProgramFileMaxBytes) {
            printError(QStringLiteral("Datei %1 kann nicht geöffnet werden. It is larger than %2 MB.")
                           .arg(path)
                           .arg(ProgramFileMaxBytes / (1024 * 1024)));
            return std::nullopt;
        }
        data.append(buffer, n);
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    args.removeFirst();
    if (args.isEmpty())
        return usageError(QStringLiteral("no command given"));
    if (args.first() == QLatin1String("-h") || args.first() == QLatin1String("--help")) {
        std::fputs(Usage, stdout);
        return 0;
    }

    const QString command = args.takeFirst();
    if (command != QLatin1String("sort") && command != QLatin1String("renumber"))
        return usageError(QStringLiteral("unknown command '%1'").arg(command));

    QString startText = QStringLiteral("10");
    QString stepText = QStringLiteral("10");
    QString path;
    bool pathGiven = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        QString* option = nullptr;
        QString value;
        for (const auto& [name, target] :
             {std::pair{QStringLiteral("--start"), &startText}, std::pair{QStringLiteral("--step"), &stepText}}) {
            if (arg == name) {
                if (i + 1 >= args.size())
                    return usageError(QStringLiteral("%1 needs a value").arg(name));
                option = target;
                value = args.at(++i);
            } else if (arg.startsWith(name + QLatin1Char('='))) {
                option = target;
                value = arg.mid(name.size() + 1);
            }
        }
        if (option) {
            if (command != QLatin1String("renumber"))
                return usageError(
                    QStringLiteral("%1 is an option of renumber").arg(arg.section(QLatin1Char('='), 0, 0)));
            *option = value;
        } else if (arg.startsWith(QLatin1Char('-')) && arg != QLatin1String("-")) {
            return usageError(QStringLiteral("unknown option '%1'").arg(arg));
        } else if (pathGiven) {
            return usageError(QStringLiteral("more than one file given"));
        } else {
            path = arg;
            pathGiven = true;
        }
    }
    if (!pathGiven)
        path = QStringLiteral("-");

    try {
        // The values go through the same conversion as the dialog's boxes.
        const qint32 start = StrToInt(startText);
        const qint32 step = StrToInt(stepText);
        const std::optional<QByteArray> input = readInput(path);
        if (!input)
            return ExitFailure;
        const ProgramText program = SplitProgramText(DecodeProgramBytes(*input));
        MemoryLines lines(program.lines, program.finalBreak);
        bool cleanupPending = true;
        if (command == QLatin1String("sort"))
            SortProgram(lines, cleanupPending);
        else
            RenumberProgram(lines, start, step, cleanupPending);

        QByteArray output;
        for (const QString& line : lines.lines())
            output += EncodeProgramText(line) + '\n';
        std::fwrite(output.constData(), 1, size_t(output.size()), stdout);
        return 0;
    } catch (const TalomaError& e) {
        printError(e.message());
        return ExitFailure;
    }
}
