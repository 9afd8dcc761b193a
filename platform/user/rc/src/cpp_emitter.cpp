#include "cpp_emitter.h"

#include <cstdio>
#include <set>

namespace helm::rc {
namespace {

std::string c_string(const std::string& text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7F) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\%03o", c);
            out += buffer;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string id_fields(const ResourceId& id)
{
    return std::to_string(id.number) + ", " + (id.name.empty() ? std::string("nullptr") : c_string(id.name));
}

std::string make_escape(const std::string& path)
{
    std::string out;
    for (char c : path) {
        if (c == ' ' || c == '#' || c == '\\')
            out += '\\';
        if (c == '$')
            out += '$';
        out += c;
    }
    return out;
}

}  // namespace

void write_cpp(const std::vector<CompiledResource>& resources, const std::string& script, std::ostream& out)
{
    out << "// Resources of " << script << ", written by helm-rc. Edit the script, not this file.\n"
        << "#include \"helm/user/resources.h\"\n\nnamespace {\n\n";
    for (size_t i = 0; i < resources.size(); ++i) {
        const auto& data = resources[i].data;
        out << "alignas(4) const unsigned char resource" << i << "[" << (data.empty() ? 1 : data.size()) << "] = {";
        for (size_t b = 0; b < data.size(); ++b) {
            if (b % 16 == 0)
                out << "\n   ";
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, " 0x%02x,", data[b]);
            out << buffer;
        }
        out << (data.empty() ? "0" : "\n") << "};\n";
    }
    out << "\nconst helm::user::ResourceEntry entries[] = {\n";
    for (size_t i = 0; i < resources.size(); ++i) {
        const CompiledResource& r = resources[i];
        out << "    {" << id_fields(r.type) << ", " << id_fields(r.name) << ", 0x" << std::hex << r.language
            << std::dec << ", resource" << i << ", " << r.data.size() << "},\n";
    }
    if (resources.empty())
        out << "    {0, nullptr, 0, nullptr, 0, nullptr, 0},\n";
    out << "};\n\n"
        << "// Binds the table to the module holding it for as long as it is loaded.\n"
        << "const helm::user::ResourceRegistration registration(entries, " << resources.size() << ");\n\n"
        << "}  // namespace\n";
}

void write_depfile(const std::string& target, const std::vector<std::string>& files, std::ostream& out)
{
    out << make_escape(target) << ":";
    std::set<std::string> seen;
    for (const std::string& file : files)
        if (seen.insert(file).second)
            out << " \\\n  " << make_escape(file);
    out << "\n";
}

}  // namespace helm::rc
