#include <cstring>

#include "internal.h"

namespace helm::xml {
namespace {

bool is_name_byte(unsigned char c)
{
    return c >= 0x80 || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-' || c == '.' || c == ':';
}

// The element's name as written (with its prefix, if any).
bool name_is(xmlNodePtr node, const std::string& name)
{
    const char* local = reinterpret_cast<const char*>(node->name);
    if (node->ns && node->ns->prefix) {
        const char* prefix = reinterpret_cast<const char*>(node->ns->prefix);
        const size_t length = std::strlen(prefix);
        return name.size() > length && name.compare(0, length, prefix) == 0 && name[length] == ':' &&
               name.compare(length + 1, std::string::npos, local) == 0;
    }
    return name == local;
}

}  // namespace

std::optional<Path> parse_path(std::string_view text)
{
    Path path;
    size_t i = 0;
    if (!text.empty() && text[0] == '/') {
        path.absolute = true;
        i = 1;
    }
    while (true) {
        PathStep step;
        // A name starts with a letter, '_', ':' or a character beyond ASCII.
        if (i < text.size() && (text[i] == '.' || text[i] == '-' || (text[i] >= '0' && text[i] <= '9')))
            return std::nullopt;
        while (i < text.size() && is_name_byte(static_cast<unsigned char>(text[i])))
            step.name.push_back(text[i++]);
        if (step.name.empty())
            return std::nullopt;
        if (i < text.size() && text[i] == '[') {
            ++i;
            long position = 0;
            int digits = 0;
            while (i < text.size() && text[i] >= '0' && text[i] <= '9' && digits < 9) {
                position = position * 10 + (text[i++] - '0');
                ++digits;
            }
            if (digits == 0 || i >= text.size() || text[i] != ']')
                return std::nullopt;
            ++i;
            step.position = position;
        }
        path.steps.push_back(std::move(step));
        if (i == text.size())
            return path;
        if (text[i] != '/')
            return std::nullopt;
        ++i;
    }
}

std::vector<xmlNodePtr> select(xmlNodePtr context, const Path& path, bool first_only)
{
    std::vector<xmlNodePtr> current{path.absolute ? reinterpret_cast<xmlNodePtr>(context->doc) : context};
    for (size_t s = 0; s < path.steps.size() && !current.empty(); ++s) {
        const PathStep& step = path.steps[s];
        const bool last = s + 1 == path.steps.size();
        std::vector<xmlNodePtr> next;
        for (xmlNodePtr parent : current) {
            long position = 0;
            for (xmlNodePtr child = parent->children; child; child = child->next) {
                if (child->type != XML_ELEMENT_NODE || !name_is(child, step.name))
                    continue;
                if (step.position < 0 || position == step.position) {
                    next.push_back(child);
                    if (last && first_only)
                        return next;
                }
                if (position++ == step.position)
                    break;
            }
        }
        current = std::move(next);
    }
    return current;
}

}  // namespace helm::xml
