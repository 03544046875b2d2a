// The string primitives of the replacement pass.
#include "engine/string_primitives.h"

#include <algorithm>

namespace ravo {

std::size_t PositionOf(std::string_view pattern, std::string_view text)
{
    if (pattern.empty() || text.empty() || pattern.size() > text.size())
        return 0;
    const std::size_t found = text.find(pattern);
    return found == std::string_view::npos ? 0 : found + 1;
}

void DeleteRange(std::string& text, std::ptrdiff_t index, std::ptrdiff_t count)
{
    const auto length = static_cast<std::ptrdiff_t>(text.size());
    if (index < 1 || index > length || count < 1)
        return;
    count = std::min(count, length - index + 1);
    text.erase(static_cast<std::size_t>(index - 1), static_cast<std::size_t>(count));
}

void InsertText(std::string_view source, std::string& text, std::ptrdiff_t index)
{
    if (source.empty())
        return;
    const auto length = static_cast<std::ptrdiff_t>(text.size());
    index = std::clamp<std::ptrdiff_t>(index, 1, length + 1);
    text.insert(static_cast<std::size_t>(index - 1), source);
}

} // namespace ravo
