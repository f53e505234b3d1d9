#include "Regions.h"

namespace Regions {

const std::array<Region, count> &all()
{
    static const std::array<Region, count> table{{
        {QStringLiteral("asia&taiyou"), QStringLiteral("アジア＆大洋州編"), 1500},
        {QStringLiteral("europe"), QStringLiteral("ヨーロッパ編"), 1500},
        {QStringLiteral("america"), QStringLiteral("南北アメリカ編"), 2500},
        {QStringLiteral("chuutou&africa"), QStringLiteral("中東＆アフリカ編"), 3000},
        {QStringLiteral("sekai"), QStringLiteral("世界編"), 2500},
    }};
    return table;
}

const Region &at(int index)
{
    return all().at(static_cast<size_t>(index));
}

} // namespace Regions
