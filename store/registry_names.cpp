#include "store/registry_backend.h"

#include "toolkit/case_fold.h"

bool RegistryNamesEqual(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (UpcaseUnit(a[i]) != UpcaseUnit(b[i])) return false;
    return true;
}
