#pragma once

#include <QString>

// Where the program lives and the addresses it was built with.
struct AppConfig
{
    QString appPath;
    QString dataPath;
    QString serverBase = QStringLiteral(FURAMIO_SERVER_BASE);
    QString wikiBase = QStringLiteral(FURAMIO_WIKI_BASE);
    QString shopUrl = QStringLiteral(FURAMIO_SHOP_URL);
    QString referralUrl = QStringLiteral(FURAMIO_REFERRAL_URL);
};
