#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace loom {

class AppContext;

// The logic of the users dialog (171): one row per user, "name TAB password", kept in
// the list's case-insensitive order.
class UsersList {
  public:
    explicit UsersList(AppContext& context) : context_(context) {}

    // Opening: message 45 and false when LOGIN.KEY is not usable; otherwise the rows.
    bool open();
    const std::vector<std::string>& rows() const { return rows_; }
    // The row split at its first TAB.
    static void split(std::string_view row, std::string& name, std::string& password);
    // "Lägg till": both empty asks message 50 first. No duplicate check. Returns the new
    // row's index, or -1 when nothing was added.
    int add(std::string_view name, std::string_view password);
    // "Ta bort".
    void remove(std::size_t index);
    // The first row with exactly this name (as login compares it), or -1.
    int find(std::string_view name) const;
    // OK: every row, in list order, after record 0. A pair too long for a record is
    // refused with a message before anything is written (false, the dialog stays).
    bool commit();

    // The list's ordering: code page 1252 upper case, byte by byte.
    static bool lessCaseInsensitive(std::string_view a, std::string_view b);

  private:
    AppContext& context_;
    std::vector<std::string> rows_;
};

}  // namespace loom
