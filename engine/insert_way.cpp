#include "engine/insert_way.h"

namespace {

bool IsWay(std::int32_t way) { return way >= kTypeByMessages && way <= kTypeByClipboard; }

}  // namespace

bool LengthDecides(const WayRules& rules) {
    return !IsWay(rules.itemWay) && !rules.keystrokeProgram && !rules.clipboardProgram;
}

std::int32_t ChooseWay(const WayRules& rules, std::size_t length) {
    if (IsWay(rules.itemWay)) return rules.itemWay;
    if (rules.keystrokeProgram) return kTypeByKeystrokes;
    if (rules.clipboardProgram) return kTypeByClipboard;
    if (rules.pasteLongerThan != 0 && length > rules.pasteLongerThan) return kTypeByClipboard;
    // A hand-edited general choice this Vellory does not know posts, as it always did.
    return IsWay(rules.generalWay) ? rules.generalWay : kTypeByMessages;
}
