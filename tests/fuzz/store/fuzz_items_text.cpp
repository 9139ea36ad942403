// ItemsText parsing and the conversion of stored numbers, on arbitrary UTF-16 input:
// parsing never fails, and whatever it yields builds to a text that parses back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "store/profile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::u16string text;
    for (std::size_t i = 0; i + 1 < size; i += 2) text.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));

    const std::int32_t number = DecimalTextToInt(text);
    // Only the first 19 units count.
    if (text.size() > 19 && DecimalTextToInt(std::u16string_view(text).substr(0, 19)) != number) std::abort();

    HotkeyTable table;
    ParseItemsText(text, table);
    const WideString built = BuildItemsText(table);
    HotkeyTable again;
    ParseItemsText(built.View(), again);
    if (BuildItemsText(again).View() != built.View()) std::abort();
    for (std::size_t i = 0; i < again.Count(); ++i)
        for (char16_t unit : again.At(i).text.View())
            if (unit == kItemsSeparator || unit == kItemsTerminator || unit == 0) std::abort();
    return 0;
}
