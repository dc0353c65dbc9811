#include "appinfo/VersionInfoBlock.h"

#include "appinfo/Utf16Text.h"

#include <cctype>

namespace celdara {

namespace {

struct Node {
    std::string key;
    Bytes value;
    bool text = false;
    std::uint16_t valueLength = 0; // in bytes, or in UTF-16 units for text
    std::vector<Node> children;
};

void Put16(Bytes& out, std::size_t at, std::uint16_t v) {
    out[at] = static_cast<std::uint8_t>(v & 0xFF);
    out[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void Append16(Bytes& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Append32(Bytes& out, std::uint32_t v) {
    Append16(out, static_cast<std::uint16_t>(v & 0xFFFF));
    Append16(out, static_cast<std::uint16_t>(v >> 16));
}
void Align(Bytes& out) {
    while (out.size() % 4 != 0)
        out.push_back(0);
}

void Write(Bytes& out, const Node& node) {
    Align(out);
    const std::size_t start = out.size();
    Append16(out, 0); // length, patched below
    Append16(out, node.valueLength);
    Append16(out, node.text ? 1 : 0);
    for (char16_t c : Utf8ToUtf16(node.key))
        Append16(out, c);
    Append16(out, 0);
    Align(out);
    out.insert(out.end(), node.value.begin(), node.value.end());
    for (const Node& child : node.children)
        Write(out, child);
    Put16(out, start, static_cast<std::uint16_t>(out.size() - start));
}

Node TextNode(const std::string& key, const std::string& text) {
    Node node{key, {}, true, 0, {}};
    std::u16string units = Utf8ToUtf16(text);
    units += u'\0';
    for (char16_t c : units)
        Append16(node.value, c);
    node.valueLength = static_cast<std::uint16_t>(units.size());
    return node;
}

std::string HexKey(std::uint16_t language, std::uint16_t codePage) {
    static const char digits[] = "0123456789ABCDEF";
    std::string key;
    for (std::uint16_t v : {language, codePage})
        for (int shift = 12; shift >= 0; shift -= 4)
            key += digits[v >> shift & 0xF];
    return key;
}

struct ParsedNode {
    std::u16string key;
    std::size_t valueStart = 0;
    std::size_t valueSize = 0;
    std::size_t childrenStart = 0;
    std::size_t end = 0;
};

std::uint16_t Get16(const Bytes& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}
std::size_t AlignUp(std::size_t v) {
    return (v + 3) & ~std::size_t{3};
}

std::optional<ParsedNode> ParseNode(const Bytes& block, std::size_t at, std::size_t limit) {
    if (at + 6 > limit)
        return std::nullopt;
    ParsedNode node;
    const std::size_t length = Get16(block, at);
    const std::size_t valueLength = Get16(block, at + 2);
    const bool text = Get16(block, at + 4) == 1;
    if (length < 6 || at + length > limit)
        return std::nullopt;
    node.end = at + length;
    std::size_t p = at + 6;
    while (true) {
        if (p + 2 > node.end)
            return std::nullopt;
        char16_t c = Get16(block, p);
        p += 2;
        if (c == 0)
            break;
        node.key += c;
    }
    node.valueStart = AlignUp(p);
    node.valueSize = text ? valueLength * 2 : valueLength;
    if (node.valueStart > node.end || node.valueSize > node.end - node.valueStart) {
        // Some writers count text values in bytes; what fits is still the value.
        if (node.valueStart > node.end)
            return std::nullopt;
        node.valueSize = node.end - node.valueStart;
    }
    node.childrenStart = AlignUp(node.valueStart + node.valueSize);
    return node;
}

template <typename Visit>
bool ForEachChild(const Bytes& block, const ParsedNode& parent, Visit&& visit) {
    std::size_t p = parent.childrenStart;
    while (p + 6 <= parent.end) {
        auto child = ParseNode(block, p, parent.end);
        if (!child)
            return false;
        if (visit(*child))
            return true;
        p = AlignUp(child->end);
    }
    return false;
}

bool KeyEquals(const std::u16string& key, std::string_view name) {
    if (key.size() != name.size())
        return false;
    for (std::size_t i = 0; i < key.size(); ++i) {
        if (key[i] > 0x7F || std::tolower(static_cast<int>(key[i])) !=
                                 std::tolower(static_cast<unsigned char>(name[i])))
            return false;
    }
    return true;
}

std::optional<ParsedNode> FindNode(const Bytes& block, std::string_view path) {
    auto node = ParseNode(block, 0, block.size());
    while (node) {
        while (!path.empty() && path.front() == '\\')
            path.remove_prefix(1);
        if (path.empty())
            return node;
        std::size_t slash = path.find('\\');
        std::string_view name = path.substr(0, slash);
        path = slash == std::string_view::npos ? std::string_view{} : path.substr(slash);
        std::optional<ParsedNode> found;
        ForEachChild(block, *node, [&](const ParsedNode& child) {
            if (!KeyEquals(child.key, name))
                return false;
            found = child;
            return true;
        });
        node = found;
    }
    return std::nullopt;
}

} // namespace

Bytes BuildVersionInfoBlock(const TVersionInfoSource& source) {
    Node root{"VS_VERSION_INFO", {}, false, 52, {}};
    const std::uint32_t versionMS =
        static_cast<std::uint32_t>(source.Version[0]) << 16 | source.Version[1];
    const std::uint32_t versionLS =
        static_cast<std::uint32_t>(source.Version[2]) << 16 | source.Version[3];
    for (std::uint32_t v :
         {0xFEEF04BDu, 0x00010000u, versionMS, versionLS, versionMS, versionLS, 0x3Fu, 0u,
          0x40004u /* file OS as the layout defines it */, 1u /* application */, 0u, 0u, 0u})
        Append32(root.value, v);

    Node table{source.TableKey.empty() ? HexKey(source.Language, source.CodePage) : source.TableKey,
               {},
               true,
               0,
               {}};
    for (const auto& [key, text] : source.Strings)
        table.children.push_back(TextNode(key, text));
    Node strings{"StringFileInfo", {}, true, 0, {table}};

    Node translation{"Translation", {}, false, 4, {}};
    Append16(translation.value, source.Language);
    Append16(translation.value, source.CodePage);
    Node vars{"VarFileInfo", {}, true, 0, {translation}};

    root.children = {strings, vars};
    Bytes out;
    Write(out, root);
    return out;
}

std::optional<Bytes> QueryVersionValue(const Bytes& block, std::string_view path) {
    auto node = FindNode(block, path);
    if (!node)
        return std::nullopt;
    return Bytes(block.begin() + static_cast<std::ptrdiff_t>(node->valueStart),
                 block.begin() + static_cast<std::ptrdiff_t>(node->valueStart + node->valueSize));
}

std::optional<std::string> QueryVersionText(const Bytes& block, std::string_view path) {
    auto value = QueryVersionValue(block, path);
    if (!value)
        return std::nullopt;
    std::u16string units;
    for (std::size_t i = 0; i + 1 < value->size(); i += 2) {
        char16_t c = static_cast<char16_t>((*value)[i] | (*value)[i + 1] << 8);
        if (c == 0)
            break;
        units += c;
    }
    return Utf16ToUtf8(units);
}

std::optional<std::string> FirstStringTableKey(const Bytes& block) {
    auto strings = FindNode(block, "\\StringFileInfo");
    if (!strings)
        return std::nullopt;
    std::optional<std::string> key;
    ForEachChild(block, *strings, [&](const ParsedNode& table) {
        key = Utf16ToUtf8(table.key);
        return true;
    });
    return key;
}

} // namespace celdara
