#pragma once

#include <QString>

// Where the program lives and the addresses it was built with.
struct AppConfig
{
    // The program's folder, without a trailing separator: what ships with it (the lists, the
    // pictures, the help).
    QString appPath;
    // The folder of the files the program writes and reads back (the results files and their
    // scratch files); without a trailing separator.
    QString dataPath;
    QString serverBase = QStringLiteral(FURAMIO_SERVER_BASE);
    QString wikiBase = QStringLiteral(FURAMIO_WIKI_BASE);
    QString shopUrl = QStringLiteral(FURAMIO_SHOP_URL);
    QString referralUrl = QStringLiteral(FURAMIO_REFERRAL_URL);
};
