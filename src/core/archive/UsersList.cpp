#include "archive/UsersList.h"

#include <algorithm>
#include <iterator>

#include "archive/PasswordFile.h"
#include "common/Cp1252.h"
#include "context/AppContext.h"

namespace loom {
namespace {

std::string makeRow(std::string_view name, std::string_view password) {
    std::string row;
    row.reserve(name.size() + 1 + password.size());
    row.append(name);
    row.push_back('\t');
    row.append(password);
    return row;
}

}  // namespace

bool UsersList::open() {
    rows_.clear();
    PasswordFile file(context_);
    if (!file.IsUsable()) {
        context_.prompt().show(MessageId::PasswordFileMissing, {}, MessageKind::Warning);
        return false;
    }
    std::vector<std::string> names;
    std::vector<std::string> passwords;
    // A file without record 0 still opens the dialog, with no rows.
    file.ReadUsers(names, passwords);
    for (std::size_t i = 0; i < names.size(); ++i) {
        std::string row = makeRow(names[i], passwords[i]);
        const auto at = std::upper_bound(rows_.begin(), rows_.end(), row, lessCaseInsensitive);
        rows_.insert(at, std::move(row));
    }
    return true;
}

void UsersList::split(std::string_view row, std::string& name, std::string& password) {
    const std::size_t tab = row.find('\t');
    if (tab == std::string_view::npos) {
        name.assign(row);
        password.clear();
        return;
    }
    name.assign(row.substr(0, tab));
    password.assign(row.substr(tab + 1));
}

int UsersList::add(std::string_view name, std::string_view password) {
    if (name.empty() && password.empty() &&
        context_.prompt().ask(MessageId::EmptyUser, Buttons::YesNo, MessageKind::Question) !=
            Answer::Yes)
        return -1;
    std::string row = makeRow(name, password);
    // After every row that is not greater, as a sorted list box places it.
    const auto at = std::upper_bound(rows_.begin(), rows_.end(), row, lessCaseInsensitive);
    const auto index = std::distance(rows_.begin(), at);
    rows_.insert(at, std::move(row));
    return static_cast<int>(index);
}

void UsersList::remove(std::size_t index) {
    if (index < rows_.size()) rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(index));
}

int UsersList::find(std::string_view name) const {
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const std::string_view row = rows_[i];
        if (row.substr(0, row.find('\t')) == name) return static_cast<int>(i);
    }
    return -1;
}

bool UsersList::commit() {
    std::vector<std::string> names(rows_.size());
    std::vector<std::string> passwords(rows_.size());
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        split(rows_[i], names[i], passwords[i]);
        if (names[i].size() + passwords[i].size() > PasswordFile::kMaxPairLength) {
            context_.prompt().show(MessageId::UserPairTooLong, {std::string_view(names[i])},
                                   MessageKind::Warning);
            return false;
        }
    }
    if (!PasswordFile(context_).WriteUsers(names, passwords)) {
        // Nothing was written: say so rather than let the dialog end as if it had been.
        context_.prompt().show(MessageId::PasswordFileMissing, {}, MessageKind::Warning);
        return false;
    }
    return true;
}

bool UsersList::lessCaseInsensitive(std::string_view a, std::string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const auto x = static_cast<unsigned char>(cp1252Upper(a[i]));
        const auto y = static_cast<unsigned char>(cp1252Upper(b[i]));
        if (x != y) return x < y;
    }
    return a.size() < b.size();
}

}  // namespace loom
