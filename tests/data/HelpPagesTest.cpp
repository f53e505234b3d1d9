// The HTML help as it ships in the program's folder: every page says which encoding it is in
// and is really in it, its elements are closed and nested, and every link, picture and style
// sheet it names is a file that ships (and every #anchor is on its page).

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>

namespace {

const QString programDir = QStringLiteral(FURAMIO_PROGRAM_DIR);

struct Inspection
{
    QStringList problems;
    QStringList targets; // href and src values, and url() in style sheets
    QSet<QString> anchors;
};

// The encoding a page declares where browsers look for it: a meta element in its first 1024
// bytes.
QString declaredCharset(const QByteArray &bytes)
{
    static const QRegularExpression meta(
        QStringLiteral("<meta\\s[^>]*charset\\s*=\\s*[\"']?([A-Za-z0-9_.:-]+)"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = meta.match(QString::fromLatin1(bytes.left(1024)));
    return match.hasMatch() ? match.captured(1) : QString();
}

Inspection inspectPage(const QByteArray &bytes)
{
    Inspection result;
    const QString charset = declaredCharset(bytes);
    if (charset.isEmpty()) {
        result.problems << QStringLiteral("declares no encoding in its first 1024 bytes");
        return result;
    }
    QStringDecoder decoder(charset.toLatin1().constData());
    if (!decoder.isValid()) {
        result.problems << QStringLiteral("declares an unknown encoding ") + charset;
        return result;
    }
    const QString text = decoder.decode(bytes);
    if (decoder.hasError())
        result.problems << QStringLiteral("is not valid ") + charset;

    static const QSet<QString> voidElements{
        QStringLiteral("area"), QStringLiteral("base"),   QStringLiteral("br"),
        QStringLiteral("col"),  QStringLiteral("embed"),  QStringLiteral("hr"),
        QStringLiteral("img"),  QStringLiteral("input"),  QStringLiteral("link"),
        QStringLiteral("meta"), QStringLiteral("source"), QStringLiteral("wbr")};
    static const QRegularExpression tag(
        QStringLiteral("<(/?)([A-Za-z][A-Za-z0-9]*)((?:\\s+[A-Za-z_:][-A-Za-z0-9_:.]*"
                       "(?:\\s*=\\s*(?:\"[^\"<]*\"|'[^'<]*'))?)*)\\s*(/?)>"));
    static const QRegularExpression attribute(
        QStringLiteral("([A-Za-z_:][-A-Za-z0-9_:.]*)(?:\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)'))?"));
    static const QRegularExpression entity(
        QStringLiteral("&(?:[A-Za-z][A-Za-z0-9]*|#[0-9]+|#[xX][0-9A-Fa-f]+);"));

    QStringList open;
    bool sawDoctype = false;
    qsizetype i = 0;
    const auto lineAt = [&](qsizetype at) {
        return QStringLiteral(" (line %1)").arg(text.left(at).count(QLatin1Char('\n')) + 1);
    };
    while (i < text.size()) {
        const QChar c = text[i];
        if (c == QLatin1Char('&')) {
            if (!entity
                     .match(text, i, QRegularExpression::NormalMatch,
                            QRegularExpression::AnchorAtOffsetMatchOption)
                     .hasMatch())
                result.problems << QStringLiteral("has a bare &") + lineAt(i);
            ++i;
            continue;
        }
        if (c != QLatin1Char('<')) {
            ++i;
            continue;
        }
        const QStringView rest = QStringView(text).mid(i);
        if (rest.startsWith(QLatin1String("<!--"))) {
            const qsizetype end = text.indexOf(QLatin1String("-->"), i + 4);
            if (end < 0) {
                result.problems << QStringLiteral("has an unclosed comment") + lineAt(i);
                break;
            }
            i = end + 3;
            continue;
        }
        if (rest.startsWith(QLatin1String("<!DOCTYPE html>"), Qt::CaseInsensitive)) {
            sawDoctype = i == text.indexOf(QLatin1Char('<'));
            i += 15;
            continue;
        }
        const QRegularExpressionMatch match =
            tag.match(text, i, QRegularExpression::NormalMatch,
                      QRegularExpression::AnchorAtOffsetMatchOption);
        if (!match.hasMatch()) {
            result.problems << QStringLiteral("has a malformed tag ") + rest.left(30).toString() +
                                   lineAt(i);
            ++i;
            continue;
        }
        const bool closing = !match.captured(1).isEmpty();
        const QString name = match.captured(2).toLower();
        i = match.capturedEnd();
        if (closing) {
            if (open.isEmpty() || open.last() != name) {
                result.problems << QStringLiteral("closes <%1> while <%2> is open")
                                           .arg(name, open.isEmpty() ? QString() : open.last()) +
                                       lineAt(match.capturedStart());
            } else {
                open.removeLast();
            }
            continue;
        }
        auto attributes = attribute.globalMatch(match.captured(3));
        while (attributes.hasNext()) {
            const QRegularExpressionMatch a = attributes.next();
            const QString key = a.captured(1).toLower();
            const QString value = a.captured(2).isNull() ? a.captured(3) : a.captured(2);
            if (key == QLatin1String("href") || key == QLatin1String("src"))
                result.targets << value;
            if (key == QLatin1String("id") ||
                (key == QLatin1String("name") && name == QLatin1String("a")))
                result.anchors.insert(value);
        }
        if (voidElements.contains(name) || !match.captured(4).isEmpty())
            continue;
        if (name == QLatin1String("script") || name == QLatin1String("style")) {
            const qsizetype end = text.indexOf(QStringLiteral("</") + name, i, Qt::CaseInsensitive);
            if (end < 0) {
                result.problems << QStringLiteral("never closes <%1>").arg(name);
                break;
            }
            i = end;
        }
        open << name;
    }
    if (!sawDoctype)
        result.problems << QStringLiteral("does not begin with <!DOCTYPE html>");
    if (!open.isEmpty())
        result.problems << QStringLiteral("leaves open: ") + open.join(QLatin1Char(' '));
    return result;
}

Inspection inspectStyleSheet(const QByteArray &bytes)
{
    Inspection result;
    for (const char byte : bytes) {
        if (static_cast<unsigned char>(byte) >= 0x80 && !bytes.startsWith("@charset \"")) {
            result.problems << QStringLiteral("has non-ASCII text but no @charset");
            break;
        }
    }
    static const QRegularExpression url(QStringLiteral("url\\(\\s*[\"']?([^\"')]+)"));
    auto urls = url.globalMatch(QString::fromLatin1(bytes));
    while (urls.hasNext())
        result.targets << urls.next().captured(1);
    return result;
}

// Everything wrong with the pages and style sheets in `folder`, one line each; empty if none.
// Targets must lie inside `shipped`, the program's folder.
QStringList checkHelp(const QString &folder, const QString &shipped)
{
    std::map<QString, Inspection> inspected;
    const QDir dir(folder);
    for (const QFileInfo &file : dir.entryInfoList(QDir::Files, QDir::Name)) {
        QFile in(file.filePath());
        if (!in.open(QIODevice::ReadOnly))
            continue;
        const QByteArray bytes = in.readAll();
        const QString suffix = file.suffix().toLower();
        if (suffix == QLatin1String("html") || suffix == QLatin1String("htm"))
            inspected[file.canonicalFilePath()] = inspectPage(bytes);
        else if (suffix == QLatin1String("css"))
            inspected[file.canonicalFilePath()] = inspectStyleSheet(bytes);
    }
    const QString root = QFileInfo(shipped).canonicalFilePath() + QLatin1Char('/');
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:"));
    QStringList problems;
    for (const auto &[path, inspection] : inspected) {
        const QString name = QFileInfo(path).fileName();
        for (const QString &problem : inspection.problems)
            problems << name + QLatin1Char(' ') + problem;
        for (const QString &target : inspection.targets) {
            if (scheme.match(target).hasMatch())
                continue; // a web page: not ours to ship
            const qsizetype hash = target.indexOf(QLatin1Char('#'));
            const QString file = hash < 0 ? target : target.left(hash);
            const QString fragment = hash < 0 ? QString() : target.mid(hash + 1);
            const QString resolved =
                file.isEmpty() ? path : QFileInfo(QFileInfo(path).dir(), file).canonicalFilePath();
            if (resolved.isEmpty() || !QFileInfo(resolved).isFile() || !resolved.startsWith(root)) {
                problems << name + QStringLiteral(" names a file that does not ship: ") + target;
                continue;
            }
            if (!fragment.isEmpty()) {
                const auto page = inspected.find(resolved);
                if (page == inspected.end() || !page->second.anchors.contains(fragment))
                    problems << name + QStringLiteral(" names a missing anchor: ") + target;
            }
        }
    }
    return problems;
}

TEST(HelpPages, EveryShippedPageIsWellFormedAndEveryLinkAndPictureShips)
{
    const QString help = programDir + QStringLiteral("/help");
    const QStringList pages =
        QDir(help).entryList({QStringLiteral("*.html"), QStringLiteral("*.htm")}, QDir::Files);
    ASSERT_FALSE(pages.isEmpty()) << help.toStdString();
    // The pages the program opens from the help label are among them.
    EXPECT_TRUE(pages.contains(QStringLiteral("index.html")));

    const QStringList problems = checkHelp(help, programDir);
    EXPECT_TRUE(problems.isEmpty()) << problems.join(QLatin1Char('\n')).toStdString();
}

TEST(HelpPages, TheCheckFindsWhatABrokenPageGetsWrong)
{
    QTemporaryDir base;
    const QString program = base.path() + QStringLiteral("/furamio");
    const QString help = program + QStringLiteral("/help");
    ASSERT_TRUE(QDir().mkpath(help));
    QFile outside(base.path() + QStringLiteral("/outside.html"));
    ASSERT_TRUE(outside.open(QIODevice::WriteOnly));
    const auto write = [&](const char *name, const QByteArray &bytes) {
        QFile out(help + QLatin1Char('/') + QLatin1String(name));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
    };
    const QByteArray head = "<!DOCTYPE html>\n<html lang=\"ja\"><head>"
                            "<meta charset=\"UTF-8\"><title>t</title></head>";
    write("good.html",
          head +
              "<body><h2 id=\"here\">x</h2><img src=\"good.html\"><p>a &amp; b</p></body></html>");
    write("nocharset.html",
          "<!DOCTYPE html><html><head><title>t</title></head><body></body></html>");
    write("wrongcharset.html",
          QByteArray(head).replace("UTF-8", "Shift_JIS") + "<body>\x82</body></html>");
    write("nesting.html", head + "<body><p><b>x</p></b><ul><li>y</ul></body></html>");
    write("links.html", head +
                            "<body><a href=\"missing.html\">m</a> <a href=\"good.html#gone\">g</a> "
                            "<a href=\"good.html#here\">h</a> <a href=\"../../outside.html\">o</a> "
                            "<a href=\"https://ja.wikipedia.org/\">w</a> <img src='pic.jpg'> "
                            "&nbsp; & </body></html>");
    write("style.css", "body { background: url(\"back.png\"); }");

    const QStringList problems = checkHelp(help, program);
    const QString all = problems.join(QLatin1Char('\n'));
    for (const char *line : {"nocharset.html declares no encoding in its first 1024 bytes",
                             "wrongcharset.html is not valid Shift_JIS",
                             "links.html names a file that does not ship: missing.html",
                             "links.html names a missing anchor: good.html#gone",
                             "links.html names a file that does not ship: ../../outside.html",
                             "links.html names a file that does not ship: pic.jpg",
                             "style.css names a file that does not ship: back.png"})
        EXPECT_TRUE(problems.contains(QString::fromUtf8(line))) << line << "\n"
                                                                << all.toStdString();
    for (const char *part : {"nesting.html closes <p> while <b> is open",
                             "nesting.html leaves open:", "links.html has a bare &"})
        EXPECT_TRUE(all.contains(QString::fromUtf8(part))) << part;
    EXPECT_FALSE(all.contains(QStringLiteral("good.html#here")));
    EXPECT_TRUE(problems.filter(QRegularExpression(QStringLiteral("^good\\.html "))).isEmpty())
        << all.toStdString();
}

TEST(HelpPages, TheHelpTellsOfEveryMenuEntryAndWhatTheGameAndTheSearchOffer)
{
    const auto page = [](const char *name) {
        QFile file(programDir + QStringLiteral("/help/") + QLatin1String(name));
        return file.open(QIODevice::ReadOnly) ? QStringDecoder("Shift_JIS").decode(file.readAll())
                                              : QString();
    };
    const QString index = page("index.html");
    for (const char *entry : {"概要", "国旗から学習", "国名から学習", "札取りゲーム", "成績グラフ",
                              "お勧めアプリ", "終了"})
        EXPECT_TRUE(index.contains(QStringLiteral("<td>%1</td>").arg(QString::fromUtf8(entry))))
            << "the menu table leaves out " << entry;
    const std::pair<const char *, const char *> told[] = {
        {"game.html", "苦手な国旗を練習"}, {"game.html", "似ている国旗で出題"},
        {"game.html", "見直し"},           {"study.html", "出題 5回・一発正解 3回・ミス 4回"},
        {"study.html", "ほかに"},          {"study.html", "ひらがな"},
        {"index.html", "^でも12枚目"},
    };
    for (const auto &[name, text] : told)
        EXPECT_TRUE(page(name).contains(QString::fromUtf8(text)))
            << name << " says nothing of " << text;
}

} // namespace
