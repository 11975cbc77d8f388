#include "ui/action_params.h"

#include "base/invariant.h"

std::string setActionParam(const std::string& text, const std::string& key, const std::string& value)
{
    LUNETKA_INVARIANT(text.find(key) == std::string::npos);
    return text + key + value;
}
