// velmora-tally: converts tally files and shows what they hold, for players
// who move their tally between installations and for support.
//
//   velmora-tally compress IN OUT     the method the game writes
//   velmora-tally decompress IN OUT   either method, chosen by the file
//   velmora-tally show FILE           the tally as a readable table
//
// Exit status 0 on success; otherwise 1, the message on stderr and no
// output file.

#include "tally/tallycodec.h"
#include "tally/tallytext.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

using namespace velmora;

namespace {

int fail(const QString &message)
{
    QTextStream(stderr) << message << Qt::endl;
    return 1;
}

QString showTable(const TallyGrid &grid)
{
    QString shown;
    QTextStream out(&shown);
    out << "Total Games: " << grid.cell(1, 0) << '\n'
        << "Your Wins: " << grid.cell(2, 0) << '\n'
        << "Total Winnings: $" << grid.cell(3, 0) << '\n';
    if (grid.rowCount() <= 1) {
        out << "\nNobody is being tallied.\n";
        return shown;
    }

    const QStringList heads = {
        QStringLiteral("Player"),    QStringLiteral("Games"),       QStringLiteral("His Wins"),
        QStringLiteral("Your Wins"), QStringLiteral("Neither Won"), QStringLiteral("Session Games"),
        QStringLiteral("His Wins"),  QStringLiteral("Your Wins"),   QStringLiteral("Neither Won")};
    QList<qsizetype> widths;
    for (int c = 0; c < heads.size(); ++c) {
        qsizetype w = heads[c].size();
        for (int r = 1; r < grid.rowCount(); ++r)
            w = qMax(w, grid.cell(c, r).size());
        widths.append(w);
    }
    auto line = [&](auto cellAt) {
        QString text;
        for (int c = 0; c < heads.size(); ++c) {
            const QString cell = cellAt(c);
            text += c == 0 ? cell.leftJustified(widths[c]) : cell.rightJustified(widths[c]);
            text += c + 1 < heads.size() ? QStringLiteral("  ") : QString();
        }
        out << text.trimmed() << '\n';
    };
    out << '\n';
    line([&](int c) { return heads[c]; });
    for (int r = 1; r < grid.rowCount(); ++r)
        line([&](int c) { return grid.cell(c, r); });
    return shown;
}

int show(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("Lzrw1 (de)compression : Failed to open input file : ") + path);
    const TallyDecodeResult decoded = decompressTallyText(file.readAll(), path);
    if (!decoded.ok())
        return fail(decoded.error);
    const TallyTextResult table = readTallyText(decoded.text);
    if (!table.ok())
        return fail(table.error);
    QTextStream(stdout) << showTable(table.grid);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Converts tally files and shows what they hold.\n\n"
                       "  compress IN OUT     compress a tally text into a tally file\n"
                       "  decompress IN OUT   turn a tally file of either kind back into text\n"
                       "  show FILE           print the tally of a tally file"));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("command"),
                                 QStringLiteral("compress, decompress or show"));
    parser.addPositionalArgument(QStringLiteral("files"), QStringLiteral("IN OUT, or FILE"));
    parser.process(app);

    const QStringList args = parser.positionalArguments();
    const QString command = args.value(0);
    if (command == QLatin1String("compress") && args.size() == 3) {
        const TallyCodecResult result = compressTallyFile(args[1], args[2]);
        return result.ok() ? 0 : fail(result.error);
    }
    if (command == QLatin1String("decompress") && args.size() == 3) {
        const TallyCodecResult result = decompressTallyFile(args[1], args[2]);
        return result.ok() ? 0 : fail(result.error);
    }
    if (command == QLatin1String("show") && args.size() == 2)
        return show(args[1]);
    return fail(parser.helpText());
}
