#include "duplicates/duplicates.h"

#include "model/cp1252.h"
#include "model/failure.h"
#include "model/piece.h"

#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <array>
#include <numeric>
#include <vector>

namespace vexil {
namespace {

constexpr int kAuthorOffset = 9;
constexpr int kSourceOffset = 10;
constexpr int kStipulationOffset = 12;

quint64 mixed(quint64 x)
{
    x ^= x >> 33;
    x *= 0xFF51AFD7ED558CCDull;
    x ^= x >> 33;
    x *= 0xC4CEB9FE1A85EC53ull;
    return x ^ (x >> 33);
}

// A small set of hashes, looked up once per unit of every item searched.
class HashSet {
public:
    void build(const std::vector<quint64>& values)
    {
        size_t size = 16;
        while (size < values.size() * 4)
            size *= 2;
        m_slots.assign(size, 0);
        m_used.assign(size, 0);
        m_mask = size - 1;
        m_filter.fill(0);
        for (quint64 v : values) {
            m_filter[(v >> 40) & kFilterMask] = 1;
            size_t i = (v >> 20) & m_mask;
            while (m_used[i] && m_slots[i] != v)
                i = (i + 1) & m_mask;
            m_slots[i] = v;
            m_used[i] = 1;
        }
    }
    bool contains(quint64 v) const
    {
        // The hashes are sums of random products: their bits are as good as any mix of them.
        if (m_slots.empty() || !m_filter[(v >> 40) & kFilterMask])
            return false;
        size_t i = (v >> 20) & m_mask;
        while (m_used[i]) {
            if (m_slots[i] == v)
                return true;
            i = (i + 1) & m_mask;
        }
        return false;
    }

private:
    static constexpr size_t kFilterMask = (1 << 16) - 1;
    std::array<quint8, kFilterMask + 1> m_filter{};
    std::vector<quint64> m_slots;
    std::vector<quint8> m_used;
    size_t m_mask = 0;
};

// The stored stipulation: the text of the stipulation line up to its first blank.
QByteArrayView storedStipulation(QByteArrayView line)
{
    if (line.size() < 6)
        return {};
    line = line.sliced(2, line.size() - 6);
    const qsizetype blank = line.indexOf(' ');
    return blank < 0 ? line : line.first(blank);
}

QByteArrayView storedText(QByteArrayView line, int closer)
{
    return line.size() < 2 + closer ? QByteArrayView() : line.sliced(2, line.size() - 2 - closer);
}

// The stipulation as the item shown will store it.
QByteArray stipulationBytes(const QString& stipulation)
{
    QString text = stipulation.trimmed();
    const qsizetype blank = text.indexOf(QLatin1Char(' '));
    if (blank >= 0)
        text.truncate(blank);
    QByteArray bytes;
    cp1252::encode(text, bytes);
    return bytes;
}

quint64 stipulationKey(QByteArrayView stipulation)
{
    quint64 h = 1469598103934665603ull;
    for (char c : stipulation)
        h = (h ^ uchar(c)) * 1099511628211ull;
    return mixed(h);
}

// The pieces of the board whose rows start at `at`; `at` moves past them.
bool storedPosition(QByteArrayView bytes, qsizetype& at, Position& position)
{
    position.count = 0;
    return DecodeStoredRows(bytes, at, [&](int square, PieceCode code) {
        if (code > 0 && Piece(code).isPiece())
            position.units[position.count++] = {quint8(square), code};
    });
}

// Walks the blocks of a collection's bytes: `visit(number, blockOffset, position, readable)`.
template <class Visit> void forEachStoredPosition(QByteArrayView bytes, Visit visit)
{
    qsizetype at = 0;
    int number = 0;
    Position position;
    while (at < bytes.size()) {
        const qsizetype start = at;
        NextStoredLine(bytes, at);
        const bool readable = storedPosition(bytes, at, position);
        if (!readable)
            at = start;
        for (int i = readable ? 9 : 0; i < kItemLines && at < bytes.size(); ++i)
            NextStoredLine(bytes, at);
        if (number > 0)
            visit(number, start, position, readable);
        ++number;
    }
}

// The line `offset` of the block at `start`.
QByteArrayView blockLine(QByteArrayView bytes, qsizetype start, int offset)
{
    qsizetype at = start;
    for (int i = 0; i < offset && at < bytes.size(); ++i)
        NextStoredLine(bytes, at);
    return at < bytes.size() ? NextStoredLine(bytes, at) : QByteArrayView();
}

void describeItem(DuplicateMatch& match, QByteArrayView bytes, qsizetype start)
{
    match.author = cp1252::decode(storedText(blockLine(bytes, start, kAuthorOffset), 3));
    match.source = cp1252::decode(storedText(blockLine(bytes, start, kSourceOffset), 3));
    QByteArrayView shown = storedText(blockLine(bytes, start, kStipulationOffset), 4);
    const qsizetype twins = shown.indexOf(QByteArrayView("\\n"));
    if (twins >= 0)
        shown = shown.first(twins);
    match.stipulation = cp1252::decode(shown);
}

DuplicateMatch::Kind kindOf(int turning)
{
    return turning == 0  ? DuplicateMatch::Kind::Same
           : turning < 8 ? DuplicateMatch::Kind::Symmetric
                         : DuplicateMatch::Kind::ColoursSwapped;
}

// How `other` stands to `shown`, when it is equal or (with near) one unit away.
bool relate(const Position& shown, const Position& other, const DuplicateOptions& options,
            DuplicateMatch& match)
{
    if (const auto turning = EquivalentBy(shown, other, options.equivalence)) {
        match.kind = kindOf(*turning);
        match.explanation = TurningText(*turning);
        return true;
    }
    if (!options.near)
        return false;
    if (const auto difference = OneUnitAway(shown, other, options.equivalence)) {
        match.kind = DuplicateMatch::Kind::OneUnitAway;
        match.explanation = DifferenceText(*difference);
        return true;
    }
    return false;
}

struct KeyRecord {
    quint64 key;
    quint32 item;
    bool operator<(const KeyRecord& o) const
    {
        return key < o.key || (key == o.key && item < o.item);
    }
};

struct StoredItem {
    quint32 collection;
    qint32 number;
    qsizetype start;
};

class Finder {
public:
    Finder(const QList<SearchedCollection>& collections, const DuplicateOptions& options)
        : m_collections(collections), m_options(options)
    {
    }

    QList<DuplicateGroup> run();

private:
    Position position(quint32 item) const
    {
        const StoredItem& s = m_items[item];
        Position p;
        qsizetype at = s.start;
        NextStoredLine(m_bytes[s.collection], at);
        storedPosition(m_bytes[s.collection], at, p);
        return p;
    }
    QByteArrayView stipulation(quint32 item) const
    {
        const StoredItem& s = m_items[item];
        return storedStipulation(blockLine(m_bytes[s.collection], s.start, kStipulationOffset));
    }
    bool sameStipulation(quint32 a, quint32 b) const
    {
        return !m_options.sameStipulation || stipulation(a) == stipulation(b);
    }
    quint32 find(quint32 x)
    {
        while (m_parent[x] != x)
            x = m_parent[x] = m_parent[m_parent[x]];
        return x;
    }
    void join(quint32 a, quint32 b)
    {
        const quint32 ra = find(a), rb = find(b);
        if (ra == rb)
            return;
        m_parent[std::max(ra, rb)] = std::min(ra, rb);
        m_edges.push_back({a, b});
    }
    // Splits a run of equal keys into the sets of positions really equal.
    void splitRun(const KeyRecord* begin, const KeyRecord* end, QList<QList<quint32>>& sets) const;
    DuplicateMatch matchOf(quint32 item) const
    {
        DuplicateMatch match;
        const StoredItem& s = m_items[item];
        match.collection = int(s.collection);
        match.number = s.number;
        describeItem(match, m_bytes[s.collection], s.start);
        return match;
    }

    const QList<SearchedCollection>& m_collections;
    DuplicateOptions m_options;
    std::vector<QByteArray> m_bytes;
    std::vector<StoredItem> m_items;
    std::vector<quint32> m_parent;
    std::vector<std::pair<quint32, quint32>> m_edges;
};

void Finder::splitRun(const KeyRecord* begin, const KeyRecord* end,
                      QList<QList<quint32>>& sets) const
{
    std::vector<std::pair<quint32, Position>> left;
    for (const KeyRecord* r = begin; r != end; ++r)
        if (left.empty() || left.back().first != r->item)
            left.emplace_back(r->item, position(r->item));
    while (left.size() > 1) {
        QList<quint32> set{left.front().first};
        std::vector<std::pair<quint32, Position>> rest;
        for (size_t i = 1; i < left.size(); ++i) {
            if (EquivalentBy(left.front().second, left[i].second, m_options.equivalence) &&
                sameStipulation(left.front().first, left[i].first))
                set << left[i].first;
            else
                rest.push_back(std::move(left[i]));
        }
        if (set.size() > 1)
            sets << set;
        left = std::move(rest);
    }
}

QList<DuplicateGroup> Finder::run()
{
    std::vector<KeyRecord> whole, reduced, moved;
    NearKey near[64];
    for (qsizetype c = 0; c < m_collections.size(); ++c) {
        m_bytes.push_back(m_collections[c].collection.bytes());
        const QByteArrayView bytes(m_bytes.back());
        forEachStoredPosition(bytes, [&](int number, qsizetype start, const Position& p,
                                         bool readable) {
            if (!readable || p.count == 0)
                return;
            const quint32 item = quint32(m_items.size());
            m_items.push_back({quint32(c), number, start});
            quint64 salt = 0;
            if (m_options.sameStipulation)
                salt =
                    stipulationKey(storedStipulation(blockLine(bytes, start, kStipulationOffset)));
            whole.push_back({PositionKey(p, m_options.equivalence) ^ salt, item});
            if (m_options.near) {
                NearKeys(p, m_options.equivalence, near);
                for (int i = 0; i < p.count; ++i) {
                    reduced.push_back({near[i].reduced ^ salt, item});
                    moved.push_back({near[i].moved ^ salt, item});
                }
            }
        });
    }
    std::sort(whole.begin(), whole.end());

    QList<DuplicateGroup> groups;
    auto sortGroups = [&] {
        std::stable_sort(groups.begin(), groups.end(), [](const auto& a, const auto& b) {
            if (a.size() != b.size())
                return a.size() > b.size();
            return std::pair(a.front().collection, a.front().number) <
                   std::pair(b.front().collection, b.front().number);
        });
    };

    if (!m_options.near) {
        for (size_t i = 0; i < whole.size();) {
            size_t j = i + 1;
            while (j < whole.size() && whole[j].key == whole[i].key)
                ++j;
            if (j - i > 1) {
                QList<QList<quint32>> sets;
                splitRun(&whole[i], &whole[0] + j, sets);
                for (const QList<quint32>& set : sets) {
                    DuplicateGroup group;
                    const Position first = position(set.front());
                    for (quint32 item : set) {
                        DuplicateMatch match = matchOf(item);
                        if (group.isEmpty()) {
                            match.kind = DuplicateMatch::Kind::First;
                        } else {
                            relate(first, position(item), m_options, match);
                            match.relatedTo = 0;
                        }
                        group << match;
                    }
                    groups << group;
                }
            }
            i = j;
        }
        sortGroups();
        return groups;
    }

    // One unit away is no equivalence (a chain of near positions drifts), so near groups are
    // the connected sets of verified pairs, each member explained by the pair that joined it.
    m_parent.resize(m_items.size());
    std::iota(m_parent.begin(), m_parent.end(), 0u);
    for (size_t i = 0; i < whole.size();) {
        size_t j = i + 1;
        while (j < whole.size() && whole[j].key == whole[i].key)
            ++j;
        if (j - i > 1) {
            QList<QList<quint32>> sets;
            splitRun(&whole[i], &whole[0] + j, sets);
            for (const QList<quint32>& set : sets)
                for (quint32 item : set)
                    join(set.front(), item);
        }
        i = j;
    }
    auto nearPair = [&](quint32 a, quint32 b) {
        if (a == b || find(a) == find(b) || !sameStipulation(a, b))
            return;
        if (OneUnitAway(position(a), position(b), m_options.equivalence))
            join(a, b);
    };
    // A position with a unit taken away that is another position whole.
    std::sort(reduced.begin(), reduced.end());
    for (size_t i = 0, w = 0; i < reduced.size(); ++i) {
        while (w < whole.size() && whole[w].key < reduced[i].key)
            ++w;
        for (size_t k = w; k < whole.size() && whole[k].key == reduced[i].key; ++k)
            nearPair(whole[k].item, reduced[i].item);
    }
    reduced = {};
    // Two positions that are the same once one unit of each is taken away, that unit alike.
    std::sort(moved.begin(), moved.end());
    for (size_t i = 0; i < moved.size();) {
        size_t j = i + 1;
        while (j < moved.size() && moved[j].key == moved[i].key)
            ++j;
        for (size_t k = i + 1; k < j; ++k)
            nearPair(moved[i].item, moved[k].item);
        i = j;
    }

    // Each connected set, walked from its first item along the pairs that joined it.
    std::vector<std::vector<quint32>> adjacent(m_items.size());
    for (const auto& [a, b] : m_edges) {
        adjacent[a].push_back(b);
        adjacent[b].push_back(a);
    }
    std::vector<bool> seen(m_items.size(), false);
    for (quint32 item = 0; item < m_items.size(); ++item) {
        if (seen[item] || adjacent[item].empty())
            continue;
        DuplicateGroup group;
        std::vector<std::pair<quint32, int>> queue{{item, -1}};
        seen[item] = true;
        for (size_t q = 0; q < queue.size(); ++q) {
            const auto [member, parent] = queue[q];
            DuplicateMatch match = matchOf(member);
            if (parent < 0) {
                match.kind = DuplicateMatch::Kind::First;
            } else {
                relate(position(queue[size_t(parent)].first), position(member), m_options, match);
                match.relatedTo = parent;
            }
            group << match;
            for (quint32 next : adjacent[member])
                if (!seen[next]) {
                    seen[next] = true;
                    queue.push_back({next, int(q)});
                }
        }
        groups << group;
    }
    sortGroups();
    return groups;
}

} // namespace

QList<SearchedCollection> CollectionsToSearch(const QString& openFile, const Collection& open,
                                              int currentNumber, const QStringList& files,
                                              QStringList* failures)
{
    QList<SearchedCollection> list;
    QSet<QString> taken;
    auto identity = [](const QString& path) {
        const QFileInfo info(path);
        return info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
    };
    if (!open.isEmpty()) {
        list.append({openFile, open, currentNumber, true});
        if (!openFile.isEmpty())
            taken.insert(identity(openFile));
    }
    for (const QString& file : files) {
        if (taken.contains(identity(file)))
            continue;
        taken.insert(identity(file));
        try {
            list.append({file, Collection::fromFile(file), 0});
        } catch (const Failure& failure) {
            if (failures)
                *failures << QStringLiteral("%1: %2").arg(file, failure.message);
        }
    }
    return list;
}

QList<DuplicateMatch> FindAnticipations(const Board& board, const QString& stipulation,
                                        const QList<SearchedCollection>& collections,
                                        const DuplicateOptions& options)
{
    const Position shown = Position::of(board);
    if (shown.count == 0)
        return {};
    const QByteArray wanted = stipulationBytes(stipulation);

    // The hashes of every turning of the position, and of each of those with one unit taken
    // away: an item whose own hash, or whose hash less one of its units, is among them is a
    // candidate, checked square by square. No item is turned.
    const TurningMask level = LevelTurnings(options.equivalence);
    quint64 turned[kTurnings];
    TurnedHashes(shown, level, turned);
    std::vector<quint64> whole, lessOne;
    for (int t = 0; t < kTurnings; ++t) {
        if (!(level & (1u << t)))
            continue;
        whole.push_back(turned[t]);
        if (options.near)
            for (int i = 0; i < shown.count; ++i)
                lessOne.push_back(turned[t] - UnitHash(TurnedSquare(t, shown.units[i].square),
                                                       TurnedCode(t, shown.units[i].code)));
    }
    HashSet wholeSet, lessOneSet;
    wholeSet.build(whole);
    lessOneSet.build(lessOne);

    QList<DuplicateMatch> matches;
    for (qsizetype c = 0; c < collections.size(); ++c) {
        const QByteArray stored = collections[c].collection.bytes();
        const QByteArrayView bytes(stored);
        const int skip = collections[c].skipNumber;
        qsizetype at = 0;
        for (int number = 0; at < bytes.size(); ++number) {
            const qsizetype start = at;
            NextStoredLine(bytes, at);
            // Only the item's own hash and its units' shares are made while reading; the
            // board itself is read again for the few candidates.
            quint64 hash = 0;
            quint64 units[64];
            int count = 0;
            const bool readable = DecodeStoredRows(bytes, at, [&](int square, PieceCode code) {
                if (code > 0 && Piece(code).isPiece()) {
                    units[count] = UnitHash(square, code);
                    hash += units[count++];
                }
            });
            if (!readable)
                at = start;
            for (int i = readable ? 9 : 0; i < kItemLines && at < bytes.size(); ++i)
                NextStoredLine(bytes, at);
            if (number == 0 || !readable || number == skip || count == 0)
                continue;
            bool candidate = wholeSet.contains(hash);
            if (!candidate && options.near) {
                candidate = lessOneSet.contains(hash);
                for (int i = 0; i < count && !candidate; ++i)
                    candidate =
                        wholeSet.contains(hash - units[i]) || lessOneSet.contains(hash - units[i]);
            }
            if (!candidate)
                continue;
            const QByteArrayView line = blockLine(bytes, start, kStipulationOffset);
            if (options.sameStipulation && storedStipulation(line) != QByteArrayView(wanted))
                continue;
            Board itemBoard;
            qsizetype rows = start;
            NextStoredLine(bytes, rows);
            DecodeStoredBoard(bytes, rows, itemBoard);
            DuplicateMatch match;
            if (!relate(shown, Position::of(itemBoard), options, match))
                continue;
            match.collection = int(c);
            match.number = number;
            describeItem(match, bytes, start);
            matches << match;
        }
    }
    std::stable_sort(matches.begin(), matches.end(), [](const auto& a, const auto& b) {
        return std::tuple(int(a.kind), a.collection, a.number) <
               std::tuple(int(b.kind), b.collection, b.number);
    });
    return matches;
}

QList<DuplicateGroup> FindDuplicates(const QList<SearchedCollection>& collections,
                                     const DuplicateOptions& options)
{
    return Finder(collections, options).run();
}

} // namespace vexil
