#include "ui/UrlListModel.h"

#include "config/Options.h"
#include "core/CaseFold.h"
#include "core/Url.h"
#include "store/WebFile.h"
#include "ui/ShownText.h"

#include <QBrush>
#include <QColor>

#include <algorithm>

namespace velbrin {

TUrlStates TUrlStates::Of(const TOPTIONS& options)
{
    return {options.ResolvedUrlFlag, options.TodoUrlFlag, options.ErrorUrlFlag, options.FilteredUrlFlag};
}

void TUrlStates::StoreIn(TOPTIONS& options) const
{
    options.ResolvedUrlFlag = Captured;
    options.TodoUrlFlag = ToExplore;
    options.ErrorUrlFlag = NotFound;
    options.FilteredUrlFlag = Filtered;
}

bool TUrlStates::Shows(std::uint8_t state) const
{
    switch (state) {
    case StateCapturedPage:
    case StateCapturedFile: return Captured;
    case StateToExplore: return ToExplore;
    case StateError:
    case StateNotFound: return NotFound;
    case StateFiltered: return Filtered;
    default: return false;
    }
}

bool IsListedLink(const TWebFile& record, const TUrlStates& states)
{
    return record.GetLinkType() == 0 && states.Shows(record.State);
}

std::string UrlItemText(const TWebFile& record, std::string_view address)
{
    if (!record.GetDescription().empty())
        return record.GetDescription();
    std::string directory = GetDirectory(address);
    if (record.WebDepth > 0)
        return GetHost(address) + directory + GetFileName(address);
    if (!directory.empty())
        directory.erase(0, 1);
    std::string text = directory + GetFileName(address);
    // The root of the Web has no short form: an empty item would hide it.
    return text.empty() ? std::string(address) : text;
}

bool TUrlListModel::Before(const TEntry& a, const TEntry& b)
{
    if (int order = a.Key.compare(b.Key); order != 0)
        return order < 0;
    return a.Row.Address < b.Row.Address;
}

std::unique_ptr<TUrlListModel::TEntry> TUrlListModel::MakeEntry(TUrlRow row)
{
    std::string key = UpperCase(row.Text);
    return std::make_unique<TEntry>(TEntry{std::move(row), std::move(key)});
}

std::size_t TUrlListModel::Position(const TEntry& entry) const
{
    auto at = std::lower_bound(m_rows.begin(), m_rows.end(), entry,
                               [](const std::unique_ptr<TEntry>& row, const TEntry& e) { return Before(*row, e); });
    return static_cast<std::size_t>(at - m_rows.begin());
}

void TUrlListModel::Reset(std::vector<TUrlRow> rows)
{
    beginResetModel();
    m_rows.clear();
    m_keys.clear();
    m_rows.reserve(rows.size());
    for (TUrlRow& row : rows) {
        // An address listed twice keeps its first row.
        if (m_keys.contains(row.Address))
            continue;
        std::unique_ptr<TEntry> entry = MakeEntry(std::move(row));
        m_keys.emplace(entry->Row.Address, entry->Key);
        m_rows.push_back(std::move(entry));
    }
    std::sort(m_rows.begin(), m_rows.end(),
              [](const std::unique_ptr<TEntry>& a, const std::unique_ptr<TEntry>& b) { return Before(*a, *b); });
    endResetModel();
}

int TUrlListModel::RowOf(const std::string& address) const
{
    auto key = m_keys.find(address);
    if (key == m_keys.end())
        return -1;
    TEntry probe;
    probe.Row.Address = address;
    probe.Key = key->second;
    std::size_t at = Position(probe);
    return at < m_rows.size() && m_rows[at]->Row.Address == address ? static_cast<int>(at) : -1;
}

int TUrlListModel::Put(TUrlRow row)
{
    std::unique_ptr<TEntry> entry = MakeEntry(std::move(row));
    const int old = RowOf(entry->Row.Address);
    if (old < 0) {
        const std::size_t at = Position(*entry);
        beginInsertRows({}, static_cast<int>(at), static_cast<int>(at));
        m_keys.emplace(entry->Row.Address, entry->Key);
        m_rows.insert(m_rows.begin() + static_cast<std::ptrdiff_t>(at), std::move(entry));
        endInsertRows();
        return static_cast<int>(at);
    }

    const std::size_t from = static_cast<std::size_t>(old);
    const bool fitsHere = (from == 0 || Before(*m_rows[from - 1], *entry))
                          && (from + 1 == m_rows.size() || Before(*entry, *m_rows[from + 1]));
    std::size_t to = from;
    if (!fitsHere) {
        // The list is still sorted with the old key in place: the insertion
        // point of the new key counts the row itself when it lies before.
        const std::size_t before = Position(*entry);
        beginMoveRows({}, old, old, {}, static_cast<int>(before));
        to = before > from ? before - 1 : before;
        std::unique_ptr<TEntry> moved = std::move(m_rows[from]);
        m_rows.erase(m_rows.begin() + static_cast<std::ptrdiff_t>(from));
        m_rows.insert(m_rows.begin() + static_cast<std::ptrdiff_t>(to), std::move(moved));
        endMoveRows();
    }
    m_keys[entry->Row.Address] = entry->Key;
    m_rows[to] = std::move(entry);
    const QModelIndex changed = index(static_cast<int>(to));
    emit dataChanged(changed, changed);
    return static_cast<int>(to);
}

bool TUrlListModel::Remove(const std::string& address)
{
    const int row = RowOf(address);
    if (row < 0)
        return false;
    beginRemoveRows({}, row, row);
    m_rows.erase(m_rows.begin() + row);
    m_keys.erase(address);
    endRemoveRows();
    return true;
}

int TUrlListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

QVariant TUrlListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const TUrlRow& row = At(index.row());
    switch (role) {
    case Qt::DisplayRole: return ShownText(row.Text);
    case Qt::UserRole: return QByteArray::fromStdString(row.Address);
    case Qt::ForegroundRole:
        switch (row.State) {
        case StateToExplore: return QBrush(QColor(0, 128, 0));
        case StateError:
        case StateNotFound: return QBrush(QColor(128, 0, 0));
        case StateFiltered: return QBrush(QColor(0, 0, 128));
        default: return {};
        }
    default: return {};
    }
}

} // namespace velbrin
