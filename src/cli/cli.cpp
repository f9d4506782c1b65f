#include "cli/cli.h"
#include "cli/clishared.h"

#include "svg/diagramsvg.h"
#include "duplicates/duplicates.h"
#include "interchange/convert.h"
#include "model/collection.h"
#include "model/failure.h"
#include "model/problem.h"
#include "output/booklet.h"
#include "output/latex.h"
#include "search/searchrun.h"
#include "solve/fen.h"
#include "solve/popeyetext.h"
#include "verify/verifysession.h"

#include <QCommandLineParser>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <climits>
#include <map>

namespace vexil {

namespace {

using namespace cli;

// The lines of a collection from any file the program reads: a collection, a .pbm problem
// file, an Olive/YACPDB file or a Popeye file; the report of what could not be held.
ConvertedFile readAnyFile(const QString& path, const Progress& progress = {})
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"pbm")
        return ConvertedFile{ConvertPbm(ReadWholeFile(path), progress), {}};
    const QByteArray bytes = ReadWholeFile(path);
    if (InterchangeFormatOf(path, bytes) == InterchangeFormat::Dgr)
        return ConvertedFile{Collection::fromFile(path).lines(), {}};
    return ConvertInterchangeFile(path, progress);
}

QList<Item> itemsOf(const Collection& collection, int from = 1, int to = INT_MAX)
{
    QList<Item> items;
    for (int number = from; number <= qMin(to, collection.itemCount()); ++number)
        items << collection.readItem(collection.FindItemLine(number));
    return items;
}

QStringList popeyeFileText(const Item& item)
{
    QStringList lines = BuildPopeyeInput(item, PopeyeOptions(), QString()).lines;
    // A file for others to solve names no output file of ours.
    lines.removeIf([](const QString& line) {
        return line.trimmed().startsWith(QLatin1String("Protocol"), Qt::CaseInsensitive);
    });
    return lines;
}

int info(const Context& context, Rows& rows, const QStringList& files)
{
    int code = kCliDone;
    for (const QString& file : files) {
        if (!QFileInfo(file).isReadable() || !QFileInfo(file).isFile()) {
            context.err << QStringLiteral("Cannot open file %1").arg(file) << '\n';
            code = kCliFailed;
            continue;
        }
        try {
            const ConvertedFile read = readAnyFile(file, progressOn(context));
            endProgress(context);
            const int items = int(read.lines.size() / kItemLines) - 1;
            const QStringList notes = read.report.lines();
            rows.add(
                {file, QString::number(qMax(0, items)), QStringLiteral("valid"), notes.value(0)});
        } catch (const Failure& failure) {
            endProgress(context);
            rows.add({file, QStringLiteral("0"), QStringLiteral("invalid"), failure.message});
            context.err << file << ": " << failure.message << '\n';
            code = kCliFailed;
        }
    }
    return code;
}

int convert(const Context& context, Rows& rows, const QString& in, const QString& out)
{
    const QString target = QFileInfo(out).suffix().toLower();
    if (target == u"pbm")
        throw UsageError{QStringLiteral(".pbm files are read only: %1").arg(out)};
    const ConvertedFile read = readAnyFile(in, progressOn(context));
    endProgress(context);
    for (const QString& line : read.report.lines())
        context.err << in << ": " << line << '\n';
    const Collection collection = Collection::fromLines(read.lines);
    const int items = qMax(0, collection.itemCount());
    switch (InterchangeFormatOf(out)) {
    case InterchangeFormat::Dgr:
        collection.write(out);
        break;
    case InterchangeFormat::Olive:
    case InterchangeFormat::Popeye: {
        const QList<Item> all = itemsOf(collection);
        const ExportedFile file = InterchangeFormatOf(out) == InterchangeFormat::Olive
                                      ? WriteOlive(all)
                                      : WritePopeyeFile(all, popeyeFileText);
        for (const QString& line : file.report.lines())
            context.err << out << ": " << line << '\n';
        WriteInterchangeFile(out, file.bytes);
        break;
    }
    }
    rows.add({in, out, QString::number(items)});
    return kCliDone;
}

int exportItems(const Context& context, Rows& rows, QCommandLineParser& parser, const QString& in,
                const QString& out)
{
    const QString format = parser.value(QStringLiteral("to"));
    static const QStringList formats{QStringLiteral("fen"), QStringLiteral("popeye"),
                                     QStringLiteral("olv"), QStringLiteral("latex"),
                                     QStringLiteral("pdf"), QStringLiteral("svg")};
    if (!formats.contains(format))
        throw UsageError{
            QStringLiteral("--to wants fen, popeye, olv, latex, pdf or svg, not \"%1\"")
                .arg(format)};
    // An option of another format is a mistake in the script, not something to pass over.
    static const std::map<QString, QString> ownOptions{
        {QStringLiteral("diagrams-only"), QStringLiteral("latex")},
        {QStringLiteral("paper"), QStringLiteral("pdf")},
        {QStringLiteral("across"), QStringLiteral("pdf")},
        {QStringLiteral("solutions"), QStringLiteral("pdf")}};
    for (const auto& [option, owner] : ownOptions)
        if (parser.isSet(option) && owner != format)
            throw UsageError{QStringLiteral("--%1 is an option of --to %2").arg(option, owner)};
    int from = 1;
    int to = INT_MAX;
    if (parser.isSet(QStringLiteral("items"))) {
        const auto range = parseRange(parser.value(QStringLiteral("items")));
        if (!range)
            throw UsageError{QStringLiteral("--items wants A-B, not \"%1\"")
                                 .arg(parser.value(QStringLiteral("items")))};
        std::tie(from, to) = *range;
    }
    if (format == u"svg" && from != to)
        throw UsageError{QStringLiteral("an SVG holds one diagram: --items N is needed")};
    BookletOptions booklet;
    if (format == u"pdf") {
        const QString paper = parser.value(QStringLiteral("paper"));
        if (paper == u"letter")
            booklet.page = QPageSize::Letter;
        else if (paper != u"a4")
            throw UsageError{QStringLiteral("--paper wants a4 or letter, not \"%1\"").arg(paper)};
        const QString across = parser.value(QStringLiteral("across"));
        if (across != u"2" && across != u"3")
            throw UsageError{QStringLiteral("--across wants 2 or 3, not \"%1\"").arg(across)};
        booklet.across = across.toInt();
        const QString solutions = parser.value(QStringLiteral("solutions"));
        if (solutions != u"end" && solutions != u"under")
            throw UsageError{
                QStringLiteral("--solutions wants end or under, not \"%1\"").arg(solutions)};
        booklet.solutionsAtEnd = solutions == u"end";
        booklet.title = QFileInfo(in).completeBaseName();
    }
    const ConvertedFile read = readAnyFile(in, progressOn(context));
    endProgress(context);
    const Collection collection = Collection::fromLines(read.lines);
    const QList<Item> items = itemsOf(collection, from, to);
    QList<int> numbers;
    for (qsizetype i = 0; i < items.size(); ++i)
        numbers << from + int(i);
    if ((format == u"pdf" || format == u"svg") && !qobject_cast<QGuiApplication*>(qApp))
        throw Failure::error(QStringLiteral("drawing diagrams needs the graphical application"));
    if (format == u"svg" && items.isEmpty())
        throw Failure::error(QStringLiteral("%1 has no item %2").arg(in).arg(from));
    QByteArray bytes;
    InterchangeReport report;
    if (format == u"fen") {
        // One position a line; what a FEN cannot show (fairy pieces) counts as empty.
        for (const Item& item : items)
            bytes += BuildFenLine(item.board, FenOptions()).toUtf8() + '\n';
    } else if (format == u"latex") {
        LatexOptions options;
        options.wholeDocument = !parser.isSet(QStringLiteral("diagrams-only"));
        const ExportedFile file = WriteLatex(items, numbers, options);
        bytes = file.bytes;
        report = file.report;
    } else if (format == u"pdf" || format == u"svg") {
        // Both are written whole by their own writers, atomically.
        if (format == u"pdf")
            WriteBooklet(out, items, numbers, booklet);
        else
            WriteDiagramSvg(
                out, items.first().board, booklet.style, 218,
                QStringLiteral("%1 %2").arg(items.first().author, items.first().stipulation));
        rows.add({in, out, QString::number(items.size())});
        return kCliDone;
    } else {
        const ExportedFile file = format == u"olv"
                                      ? WriteOlive(items, numbers)
                                      : WritePopeyeFile(items, popeyeFileText, numbers);
        bytes = file.bytes;
        report = file.report;
    }
    for (const QString& line : report.lines())
        context.err << out << ": " << line << '\n';
    WriteInterchangeFile(out, bytes);
    rows.add({in, out, QString::number(items.size())});
    return kCliDone;
}

// A file as a collection, whatever format it is in; a file that cannot be read is told on
// standard error and gives nothing.
std::optional<Collection> readCollection(const Context& context, const QString& file)
{
    try {
        const ConvertedFile read = readAnyFile(file, progressOn(context));
        endProgress(context);
        return Collection::fromLines(read.lines);
    } catch (const Failure& failure) {
        endProgress(context);
        context.err << file << ": " << failure.message << '\n';
        return std::nullopt;
    }
}

int search(const Context& context, Rows& rows, const QString& query, const QStringList& files)
{
    const ParsedQuery parsed = ParseQuery(query);
    if (!parsed.isValid())
        throw UsageError{parsed.errorText()};
    const QueryMatcher matcher(*parsed.root);
    int code = kCliDone;
    for (const QString& file : files) {
        const std::optional<Collection> collection = readCollection(context, file);
        if (!collection) {
            code = kCliFailed;
            continue;
        }
        SearchCollection(matcher, *collection, file, [&](int number) {
            const Item item = collection->readItem(collection->FindItemLine(number));
            rows.add({file, QString::number(number), item.author, item.source, item.stipulation});
        });
    }
    return code;
}

int duplicates(const Context& context, Rows& rows, QCommandLineParser& parser,
               const QStringList& files)
{
    static const std::map<QString, Equivalence> levels{
        {QStringLiteral("exact"), Equivalence::Exact},
        {QStringLiteral("mirror"), Equivalence::Mirror},
        {QStringLiteral("symmetry"), Equivalence::Symmetries},
        {QStringLiteral("colours"), Equivalence::ColoursSwapped}};
    DuplicateOptions options;
    if (parser.isSet(QStringLiteral("equivalence"))) {
        const auto level = levels.find(parser.value(QStringLiteral("equivalence")));
        if (level == levels.end())
            throw UsageError{
                QStringLiteral("--equivalence wants exact, mirror, symmetry or colours, not \"%1\"")
                    .arg(parser.value(QStringLiteral("equivalence")))};
        options.equivalence = level->second;
    }
    options.near = parser.isSet(QStringLiteral("near"));
    options.sameStipulation = parser.isSet(QStringLiteral("same-stipulation"));
    int code = kCliDone;
    QList<SearchedCollection> collections;
    // A file named twice (a glob and a name) would make every item its own duplicate.
    QSet<QString> taken;
    for (const QString& file : files) {
        const QFileInfo info(file);
        const QString identity = info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
        if (taken.contains(identity))
            continue;
        taken.insert(identity);
        std::optional<Collection> collection = readCollection(context, file);
        if (collection)
            collections.append(SearchedCollection{file, std::move(*collection)});
        else
            code = kCliFailed;
    }
    const QList<DuplicateGroup> groups = FindDuplicates(collections, options);
    for (qsizetype group = 0; group < groups.size(); ++group) {
        const DuplicateGroup& members = groups[group];
        for (const DuplicateMatch& match : members) {
            // Each member names the one it was compared with, so that a chain of near
            // positions can be followed from its reference.
            const bool related = match.relatedTo >= 0 && match.relatedTo < members.size();
            rows.add({QString::number(group + 1), collections.value(match.collection).fileName,
                      QString::number(match.number), MatchKindText(match.kind), match.explanation,
                      related ? QString::number(members[match.relatedTo].number) : QString(),
                      match.author, match.source, match.stipulation.trimmed()});
        }
    }
    return code;
}

QList<Command> commands(const Context& context)
{
    const QStringList verifyColumns{QStringLiteral("number"),    QStringLiteral("outcome"),
                                    QStringLiteral("solutions"), QStringLiteral("moves"),
                                    QStringLiteral("stored"),    QStringLiteral("seconds"),
                                    QStringLiteral("detail")};
    QList<Command> list;
    list.append(
        Command{QStringLiteral("info"),
                QStringLiteral("FILE..."),
                QStringLiteral("items, validity and the first problem found for each file"),
                [](QCommandLineParser&) {},
                [&context](QCommandLineParser& parser, Rows* rows, QTextStream&, QTextStream&) {
                    if (parser.positionalArguments().isEmpty())
                        throw UsageError{QStringLiteral("no file given")};
                    return info(context, *rows, parser.positionalArguments());
                },
                {QStringLiteral("file"), QStringLiteral("items"), QStringLiteral("validity"),
                 QStringLiteral("problem")}});
    list.append(
        Command{QStringLiteral("convert"),
                QStringLiteral("IN OUT"),
                QStringLiteral("converts between .dgr, .olv and Popeye files, and from .pbm"),
                [](QCommandLineParser&) {},
                [&context](QCommandLineParser& parser, Rows* rows, QTextStream&, QTextStream&) {
                    const QStringList files = parser.positionalArguments();
                    if (files.size() != 2)
                        throw UsageError{QStringLiteral("IN and OUT are needed")};
                    return convert(context, *rows, files[0], files[1]);
                },
                {QStringLiteral("in"), QStringLiteral("out"), QStringLiteral("items")}});
    list.append(Command{
        QStringLiteral("export"),
        QStringLiteral("--to fen|popeye|olv|latex|pdf|svg [--items A-B] IN OUT"),
        QStringLiteral("writes items as FEN, Popeye, .olv, LaTeX, a PDF booklet or one SVG"),
        [](QCommandLineParser& parser) {
            parser.addOptions({
                {QStringLiteral("to"), QStringLiteral("fen, popeye, olv, latex, pdf or svg."),
                 QStringLiteral("FORMAT")},
                {QStringLiteral("items"),
                 QStringLiteral("Only items A to B (svg: the one item N)."), QStringLiteral("A-B")},
                {QStringLiteral("diagrams-only"),
                 QStringLiteral("latex: only the diagrams, for a document that includes them.")},
                {QStringLiteral("paper"), QStringLiteral("pdf: a4 or letter (a4)."),
                 QStringLiteral("PAPER"), QStringLiteral("a4")},
                {QStringLiteral("across"),
                 QStringLiteral("pdf: diagrams across a page, 2 or 3 (2)."), QStringLiteral("N"),
                 QStringLiteral("2")},
                {QStringLiteral("solutions"),
                 QStringLiteral("pdf: the solutions at the end or under each diagram (end)."),
                 QStringLiteral("WHERE"), QStringLiteral("end")},
            });
        },
        [&context](QCommandLineParser& parser, Rows* rows, QTextStream&, QTextStream&) {
            const QStringList files = parser.positionalArguments();
            if (files.size() != 2 || !parser.isSet(QStringLiteral("to")))
                throw UsageError{QStringLiteral("--to, IN and OUT are needed")};
            return exportItems(context, *rows, parser, files[0], files[1]);
        },
        {QStringLiteral("in"), QStringLiteral("out"), QStringLiteral("items")}});
    list.append(
        Command{QStringLiteral("search"),
                QStringLiteral("QUERY FILE..."),
                QStringLiteral("the items of the files that a query of the search language finds"),
                [](QCommandLineParser&) {},
                [&context](QCommandLineParser& parser, Rows* rows, QTextStream&, QTextStream&) {
                    QStringList arguments = parser.positionalArguments();
                    if (arguments.size() < 2)
                        throw UsageError{QStringLiteral("QUERY and one FILE at least are needed")};
                    const QString query = arguments.takeFirst();
                    return search(context, *rows, query, arguments);
                },
                {QStringLiteral("file"), QStringLiteral("number"), QStringLiteral("author"),
                 QStringLiteral("source"), QStringLiteral("stipulation")}});
    list.append(Command{
        QStringLiteral("duplicates"),
        QStringLiteral("[--equivalence exact|mirror|symmetry|colours] [--near] "
                       "[--same-stipulation] FILE..."),
        QStringLiteral("the groups of items with equal positions across the files, largest "
                       "first"),
        [](QCommandLineParser& parser) {
            parser.addOptions({
                {QStringLiteral("equivalence"),
                 QStringLiteral("When positions are equal: exact, mirror, symmetry or colours "
                                "(colours)."),
                 QStringLiteral("LEVEL")},
                {QStringLiteral("near"), QStringLiteral("One unit away counts too.")},
                {QStringLiteral("same-stipulation"),
                 QStringLiteral("The stipulations must be equal too.")},
            });
        },
        [&context](QCommandLineParser& parser, Rows* rows, QTextStream&, QTextStream&) {
            if (parser.positionalArguments().isEmpty())
                throw UsageError{QStringLiteral("no file given")};
            return duplicates(context, *rows, parser, parser.positionalArguments());
        },
        {QStringLiteral("group"), QStringLiteral("file"), QStringLiteral("number"),
         QStringLiteral("kind"), QStringLiteral("explanation"), QStringLiteral("compared"),
         QStringLiteral("author"), QStringLiteral("source"), QStringLiteral("stipulation")}});
    list.append(Command{
        QStringLiteral("verify"),
        QStringLiteral("FILE --popeye PATH [--jobs N] [--maxtime S] [--range A-B] [--shard K/N] "
                       "[--results OUT]"),
        QStringLiteral("runs Popeye on the items and keeps the results"),
        [](QCommandLineParser& parser) {
            parser.addOptions({
                {QStringLiteral("popeye"), QStringLiteral("The Popeye program."),
                 QStringLiteral("PATH")},
                {QStringLiteral("jobs"), QStringLiteral("Popeye runs at once (1)."),
                 QStringLiteral("N")},
                {QStringLiteral("maxtime"), QStringLiteral("Seconds per item (60)."),
                 QStringLiteral("S")},
                {QStringLiteral("range"), QStringLiteral("Only items A to B."),
                 QStringLiteral("A-B")},
                {QStringLiteral("shard"),
                 QStringLiteral("Only the items whose number is K modulo N."),
                 QStringLiteral("K/N")},
                {QStringLiteral("results"),
                 QStringLiteral("The results file (the collection's own by default)."),
                 QStringLiteral("OUT")},
            });
        },
        [&context](QCommandLineParser& parser, Rows* rows, QTextStream&, QTextStream&) {
            if (parser.positionalArguments().size() != 1)
                throw UsageError{QStringLiteral("one FILE is needed")};
            return verify(context, *rows, parser, parser.positionalArguments().first());
        },
        verifyColumns});
    list.append(Command{
        QStringLiteral("verify-merge"),
        QStringLiteral("FILE RESULTS..."),
        QStringLiteral("merges results of shards into the collection's results file"),
        [](QCommandLineParser&) {},
        [](QCommandLineParser& parser, Rows* rows, QTextStream&, QTextStream&) {
            QStringList files = parser.positionalArguments();
            if (files.size() < 2)
                throw UsageError{QStringLiteral("FILE and one RESULTS file at least are needed")};
            const QString file = files.takeFirst();
            return verifyMerge(*rows, file, files);
        },
        {QStringLiteral("results"), QStringLiteral("items")}});
    return list;
}

QString usageLine(const Command& command)
{
    return QStringLiteral("usage: vexil-cli %1 [--format text|csv|json] %2")
        .arg(command.name, command.usage);
}

void overallHelp(QTextStream& stream, const QList<Command>& list)
{
    stream << "usage: vexil-cli COMMAND [--help] [--format text|csv|json] ARGUMENTS\n\n"
           << "Commands:\n";
    for (const Command& command : list)
        stream << "  " << command.name.leftJustified(14) << command.summary << '\n';
    stream << "\nExit status: 0 done, 1 a failure (told on standard error), 2 bad usage.\n";
}

} // namespace

bool CliNeedsGui(const QStringList& arguments)
{
    if (arguments.value(0) != u"export")
        return false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        QString format;
        if (argument == u"--to" || argument == u"-to")
            format = arguments.value(i + 1);
        else if (argument.startsWith(QLatin1String("--to=")))
            format = argument.mid(5);
        if (format == u"pdf" || format == u"svg")
            return true;
    }
    return false;
}

int RunCli(const QStringList& arguments, QTextStream& out, QTextStream& err, bool progress)
{
    const Context context{out, err, progress};
    const QList<Command> list = commands(context);
    if (arguments.isEmpty()) {
        overallHelp(err, list);
        return kCliUsage;
    }
    const QString name = arguments.first();
    if (name == u"--help" || name == u"-h" || name == u"help") {
        overallHelp(out, list);
        return kCliDone;
    }
    const auto found = std::find_if(list.begin(), list.end(),
                                    [&](const Command& command) { return command.name == name; });
    if (found == list.end()) {
        err << QStringLiteral("vexil-cli: no command \"%1\"").arg(name) << '\n';
        overallHelp(err, list);
        return kCliUsage;
    }
    const Command& command = *found;
    QCommandLineParser parser;
    parser.setApplicationDescription(command.summary);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Shows this help."));
    const QCommandLineOption format(QStringLiteral("format"),
                                    QStringLiteral("Output as text, csv or json (JSON lines)."),
                                    QStringLiteral("FORMAT"), QStringLiteral("text"));
    parser.addOption(help);
    parser.addOption(format);
    command.options(parser);
    try {
        if (!parser.parse(QStringList{QStringLiteral("vexil-cli")} + arguments.mid(1)))
            throw UsageError{parser.errorText()};
        if (parser.isSet(help)) {
            out << usageLine(command) << "\n\n" << command.summary << "\n\nOptions:\n";
            // The options and the lines their descriptions wrap onto, without the parser's
            // own usage and description.
            bool options = false;
            for (const QString& line : parser.helpText().split(QLatin1Char('\n'))) {
                options = line.startsWith(QLatin1String("  -")) ||
                          (options && line.startsWith(QLatin1Char(' ')));
                if (options)
                    out << line << '\n';
            }
            return kCliDone;
        }
        static const std::map<QString, Format> formats{{QStringLiteral("text"), Format::Text},
                                                       {QStringLiteral("csv"), Format::Csv},
                                                       {QStringLiteral("json"), Format::Json}};
        const auto chosen = formats.find(parser.value(format));
        if (chosen == formats.end())
            throw UsageError{QStringLiteral("--format wants text, csv or json, not \"%1\"")
                                 .arg(parser.value(format))};
        Rows rows(out, chosen->second, command.columns);
        return command.run(parser, &rows, out, err);
    } catch (const UsageError& error) {
        err << "vexil-cli " << command.name << ": " << error.message << '\n'
            << usageLine(command) << '\n';
        return kCliUsage;
    } catch (const Failure& failure) {
        endProgress(context);
        err << "vexil-cli " << command.name << ": " << failure.message << '\n';
        return kCliFailed;
    }
}

} // namespace vexil
