#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <vector>

// The look-alikes of every flag, from "niteru.csv" in the program's folder: one line per flag,
// its flag ID and then the flag IDs most easily taken for it, most similar first (ASCII, CR LF,
// comma-separated). The table only helps to make boards harder, so it is forgiving: a line that
// cannot be read is passed over and a missing file gives an empty table.
class SimilarityTable
{
public:
    static constexpr int upperBound = 200;
    // How many look-alikes the shipped table names for each flag.
    static constexpr int shippedNeighbours = 20;

    static QString fileName();
    static QString path(const QString &appPath);

    // Lines are skipped when a field is not a flag ID from 1 to 200, when they name no
    // look-alike, or when an earlier line already gave the same flag. Within a line the flag
    // itself and repeats are dropped, keeping the order of the rest.
    static SimilarityTable read(const QByteArray &data);
    // Empty when the file is missing or cannot be read.
    static SimilarityTable load(const QString &path);

    // Flag IDs most similar first; empty for a flag the table does not know.
    const std::vector<int> &similarTo(int flagId) const;
    // Number of flags with look-alikes.
    int size() const { return m_size; }
    bool isEmpty() const { return m_size == 0; }

private:
    std::array<std::vector<int>, upperBound + 1> m_similar;
    int m_size = 0;
};
