#pragma once

#include <QAbstractListModel>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace velbrin {

class TOPTIONS;
class TWebFile;

// Which link states the "Url type" boxes of the URL list show.
struct TUrlStates {
    bool Captured = false;  // ResolvedUrlFlag: CapturedPage, CapturedFile
    bool ToExplore = false; // TodoUrlFlag
    bool NotFound = false;  // ErrorUrlFlag: Error, NotFound
    bool Filtered = false;  // FilteredUrlFlag

    static TUrlStates Of(const TOPTIONS& options);
    void StoreIn(TOPTIONS& options) const;
    // Links in progress are never listed.
    bool Shows(std::uint8_t state) const;
};

// Whether the URL list shows the record: a page link in a shown state.
bool IsListedLink(const TWebFile& record, const TUrlStates& states);

// The text of a link in the URL list: its description, or else a short form
// of its address: host, directory and file name for a link of another web
// (WebDepth above 0), the directory without its leading "/" and the file name
// for a link of the Web itself; the whole address when that form is empty
// (the root of the Web).
std::string UrlItemText(const TWebFile& record, std::string_view address);

// One item of the URL list; the address is its key.
struct TUrlRow {
    std::string Address;
    std::string Text;
    std::uint8_t State = 0;
};

// The items of the URL list, sorted by text ignoring case (then by address).
// A change of one link costs a look-up and the move of its row, never a pass
// over the list, so that the list can follow a capture of a large Web.
//
// Display role: the text; foreground role: the colour of the link's state
// (to explore green, errors and not found dark red, filtered navy, captured
// links the list's own colour); user role: the address as bytes.
class TUrlListModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    // Replaces every row.
    void Reset(std::vector<TUrlRow> rows);
    // Enters or updates the row of row.Address and moves it to its place;
    // returns its index.
    int Put(TUrlRow row);
    // Removes the row of address; false when there was none.
    bool Remove(const std::string& address);
    // -1 when no row has that address.
    int RowOf(const std::string& address) const;
    const TUrlRow& At(int row) const { return m_rows[static_cast<std::size_t>(row)]->Row; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    struct TEntry {
        TUrlRow Row;
        std::string Key; // the text in upper case
    };
    static bool Before(const TEntry& a, const TEntry& b);
    static std::unique_ptr<TEntry> MakeEntry(TUrlRow row);
    // Index of the first entry not before entry.
    std::size_t Position(const TEntry& entry) const;

    // Held by pointer: a row entered in the middle moves pointers only.
    std::vector<std::unique_ptr<TEntry>> m_rows;
    // Address to sort key of every row, to find a row by binary search.
    std::unordered_map<std::string, std::string> m_keys;
};

} // namespace velbrin
