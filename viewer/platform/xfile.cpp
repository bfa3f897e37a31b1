#include "xfile.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <algorithm>
#include <map>
#include <new>
#include <string>
#include <string_view>
#include <vector>

namespace rova::rm {

namespace {

// Nesting deeper than this is refused rather than risking the stack.
constexpr int kMaxDepth = 64;

enum class Tok { End, Name, Integer, Float, String, Guid, Open, Close, Separator, Other, Error };

struct Token {
    Tok kind = Tok::End;
    std::string_view text;
};

bool isNameStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isNameChar(char c) { return isNameStart(c) || isDigit(c) || c == '-' || c == '.'; }
bool isHex(char c) { return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

class Lexer {
public:
    explicit Lexer(std::string_view text) : m_text(text) {}

    std::size_t remaining() const { return m_text.size() - m_pos; }

    Token next() {
        skipSpaceAndComments();
        if (m_pos >= m_text.size()) return {Tok::End, {}};
        const std::size_t start = m_pos;
        const char c = m_text[m_pos];
        switch (c) {
        case '{': ++m_pos; return {Tok::Open, m_text.substr(start, 1)};
        case '}': ++m_pos; return {Tok::Close, m_text.substr(start, 1)};
        case ';':
        case ',': ++m_pos; return {Tok::Separator, m_text.substr(start, 1)};
        case '[':
        case ']': ++m_pos; return {Tok::Other, m_text.substr(start, 1)};
        case '"': return delimited('"', Tok::String);
        case '<': return guid();
        default: break;
        }
        if (isNameStart(c)) {
            while (m_pos < m_text.size() && isNameChar(m_text[m_pos])) ++m_pos;
            return {Tok::Name, m_text.substr(start, m_pos - start)};
        }
        if (isDigit(c) || c == '-' || c == '+' || c == '.') return number();
        return {Tok::Error, m_text.substr(start, 1)};
    }

private:
    void skipSpaceAndComments() {
        while (m_pos < m_text.size()) {
            const char c = m_text[m_pos];
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v') {
                ++m_pos;
            } else if (c == '#' || (c == '/' && m_pos + 1 < m_text.size() && m_text[m_pos + 1] == '/')) {
                while (m_pos < m_text.size() && m_text[m_pos] != '\n') ++m_pos;
            } else {
                break;
            }
        }
    }

    Token delimited(char close, Tok kind) {
        const std::size_t start = m_pos++;
        while (m_pos < m_text.size() && m_text[m_pos] != close) ++m_pos;
        if (m_pos >= m_text.size()) return {Tok::Error, {}};
        ++m_pos;
        return {kind, m_text.substr(start, m_pos - start)};
    }

    Token guid() {
        Token t = delimited('>', Tok::Guid);
        if (t.kind != Tok::Guid) return t;
        for (char c : t.text.substr(1, t.text.size() - 2)) {
            if (!isHex(c) && c != '-') return {Tok::Error, {}};
        }
        return t;
    }

    // Numbers, and in templates the "..." of open arrays (an Other token).
    Token number() {
        const std::size_t start = m_pos;
        if (m_text[m_pos] == '-' || m_text[m_pos] == '+') ++m_pos;
        std::size_t digits = 0;
        while (m_pos < m_text.size() && isDigit(m_text[m_pos])) ++m_pos, ++digits;
        bool isFloat = false;
        if (m_pos < m_text.size() && m_text[m_pos] == '.') {
            isFloat = true;
            ++m_pos;
            while (m_pos < m_text.size() && isDigit(m_text[m_pos])) ++m_pos, ++digits;
        }
        if (digits == 0) {
            if (m_text.substr(start).starts_with("...")) {
                m_pos = start + 3;
                return {Tok::Other, m_text.substr(start, 3)};
            }
            return {Tok::Error, {}};
        }
        if (m_pos < m_text.size() && (m_text[m_pos] == 'e' || m_text[m_pos] == 'E')) {
            isFloat = true;
            ++m_pos;
            if (m_pos < m_text.size() && (m_text[m_pos] == '-' || m_text[m_pos] == '+')) ++m_pos;
            std::size_t exponent = 0;
            while (m_pos < m_text.size() && isDigit(m_text[m_pos])) ++m_pos, ++exponent;
            if (exponent == 0) return {Tok::Error, {}};
        }
        // A number running straight into a name ("12ab") is not a number.
        if (m_pos < m_text.size() && isNameStart(m_text[m_pos])) return {Tok::Error, {}};
        return {isFloat ? Tok::Float : Tok::Integer, m_text.substr(start, m_pos - start)};
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
};

// Any malformed input makes a parse step return false, which unwinds to the top;
// the file as a whole then fails with kErrBadFile.
class Parser {
public:
    explicit Parser(std::string_view body) : m_lex(body) { advance(); }

    bool parseFile(std::vector<std::shared_ptr<Object>>& topLevel) {
        while (m_tok.kind != Tok::End) {
            if (m_tok.kind != Tok::Name) return false;
            const std::string_view type = m_tok.text;
            advance();
            if (type == "template") {
                if (!take(Tok::Name) || !take(Tok::Open) || !skipRest()) return false;
            } else if (isDataObject(type)) {
                std::shared_ptr<Object> object;
                if (!parseObject(type, 0, object)) return false;
                topLevel.push_back(std::move(object));
            } else if (!skipObject()) {
                return false;
            }
        }
        return true;
    }

private:
    enum class Child { Close, Reference, Nested, Bad };

    static bool isDataObject(std::string_view type) {
        return type == "Frame" || type == "Mesh" || type == "Material";
    }

    void advance() { m_tok = m_lex.next(); }

    bool take(Tok kind) {
        if (m_tok.kind != kind) return false;
        advance();
        return true;
    }

    void skipSeparators() {
        while (m_tok.kind == Tok::Separator) advance();
    }

    // Optional object name, opening brace, optional GUID.
    bool parseHeader(std::string* name) {
        if (m_tok.kind == Tok::Name) {
            if (name) *name = m_tok.text;
            advance();
        }
        if (!take(Tok::Open)) return false;
        if (m_tok.kind == Tok::Guid) advance();
        return true;
    }

    // Skips to the brace that closes an object whose opening brace was taken.
    bool skipRest() {
        std::size_t open = 1;
        while (open > 0) {
            switch (m_tok.kind) {
            case Tok::Open: ++open; break;
            case Tok::Close: --open; break;
            case Tok::End:
            case Tok::Error: return false;
            default: break;
            }
            advance();
        }
        return true;
    }

    // An object of a type that is not used, its type name taken.
    bool skipObject() { return parseHeader(nullptr) && skipRest(); }

    bool readCount(std::uint32_t& out) {
        skipSeparators();
        if (m_tok.kind != Tok::Integer) return false;
        const char* first = m_tok.text.data();
        const char* last = first + m_tok.text.size();
        auto [end, ec] = std::from_chars(first, last, out);
        if (ec != std::errc() || end != last) return false;
        advance();
        return true;
    }

    bool readFloat(float& out) {
        skipSeparators();
        if (m_tok.kind != Tok::Integer && m_tok.kind != Tok::Float) return false;
        std::string_view text = m_tok.text;
        if (text.front() == '+') text.remove_prefix(1);
        double value = 0;
        auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (ec != std::errc() || end != text.data() + text.size()) return false;
        if (!std::isfinite(value) || std::fabs(value) > FLT_MAX) return false;
        out = static_cast<float>(value);
        advance();
        return true;
    }

    bool readVector(Vec3& v) { return readFloat(v.x) && readFloat(v.y) && readFloat(v.z); }

    // A count of indices, then the indices, each below limit.
    bool readIndexList(std::vector<std::uint32_t>& out, std::size_t limit) {
        std::uint32_t n = 0;
        if (!readCount(n)) return false;
        out.reserve(plausible(n, 2));
        for (std::uint32_t k = 0; k < n; ++k) {
            std::uint32_t index = 0;
            if (!readCount(index) || index >= limit) return false;
            out.push_back(index);
        }
        return true;
    }

    // Room to reserve for count items that take at least minBytes of text each:
    // never more than the rest of the text could hold.
    std::size_t plausible(std::uint32_t count, std::size_t minBytes) const {
        return std::min<std::size_t>(count, m_lex.remaining() / minBytes + 1);
    }

    // The next child of an object: its closing brace (taken), a reference
    // (resolved into ref) or a nested object (its type name taken, into type).
    Child nextChild(std::shared_ptr<Object>& ref, std::string_view& type) {
        skipSeparators();
        switch (m_tok.kind) {
        case Tok::Close:
            advance();
            return Child::Close;
        case Tok::Open: {
            advance();
            if (m_tok.kind != Tok::Name) return Child::Bad;
            auto it = m_named.find(m_tok.text);
            if (it == m_named.end()) return Child::Bad;
            advance();
            if (m_tok.kind == Tok::Guid) advance();
            if (!take(Tok::Close)) return Child::Bad;
            ref = it->second;
            return Child::Reference;
        }
        case Tok::Name:
            type = m_tok.text;
            advance();
            return Child::Nested;
        default:
            return Child::Bad;
        }
    }

    // A Frame, Mesh or Material, its type name taken.
    bool parseObject(std::string_view type, int depth, std::shared_ptr<Object>& out) {
        if (depth >= kMaxDepth) return false;
        std::string name;
        if (!parseHeader(&name)) return false;
        bool ok = false;
        if (type == "Frame") {
            auto frame = Frame::create();
            ok = parseFrameBody(*frame, depth);
            out = frame;
        } else if (type == "Mesh") {
            auto mesh = std::make_shared<Mesh>();
            ok = parseMeshBody(*mesh);
            out = mesh;
        } else {
            auto material = std::make_shared<Material>();
            ok = parseMaterialBody(*material);
            out = material;
        }
        if (!ok) return false;
        out->setName(name);
        // Known by name only once complete, so nothing can refer to itself.
        if (!name.empty()) m_named[name] = out;
        return true;
    }

    bool parseFrameBody(Frame& frame, int depth) {
        for (;;) {
            std::shared_ptr<Object> child;
            std::string_view type;
            switch (nextChild(child, type)) {
            case Child::Close: return true;
            case Child::Bad: return false;
            case Child::Reference:
                // A frame belongs where it is defined; taking one in by
                // reference could loop the hierarchy.
                if (std::dynamic_pointer_cast<Frame>(child)) return false;
                if (auto visual = std::dynamic_pointer_cast<Visual>(child)) frame.addVisual(visual);
                break;
            case Child::Nested:
                if (type == "FrameTransformMatrix") {
                    Matrix m;
                    if (!parseMatrix(m)) return false;
                    frame.setTransform(m);
                } else if (isDataObject(type)) {
                    if (!parseObject(type, depth + 1, child)) return false;
                    if (auto sub = std::dynamic_pointer_cast<Frame>(child)) {
                        if (failed(frame.addChild(sub))) return false;
                    } else if (auto visual = std::dynamic_pointer_cast<Visual>(child)) {
                        frame.addVisual(visual);
                    }
                } else if (!skipObject()) {
                    return false;
                }
                break;
            }
        }
    }

    // Sixteen numbers, row by row; the last column is not used.
    bool parseMatrix(Matrix& m) {
        if (!parseHeader(nullptr)) return false;
        float v[16];
        for (float& f : v) {
            if (!readFloat(f)) return false;
        }
        skipSeparators();
        if (!take(Tok::Close)) return false;
        m.x = {v[0], v[1], v[2]};
        m.y = {v[4], v[5], v[6]};
        m.z = {v[8], v[9], v[10]};
        m.origin = {v[12], v[13], v[14]};
        return true;
    }

    bool parseMeshBody(Mesh& mesh) {
        std::uint32_t count = 0;
        if (!readCount(count)) return false;
        mesh.vertices.reserve(plausible(count, 6));
        for (std::uint32_t i = 0; i < count; ++i) {
            Vec3 v;
            if (!readVector(v)) return false;
            mesh.vertices.push_back(v);
        }
        if (!readCount(count)) return false;
        mesh.faces.reserve(plausible(count, 8));
        for (std::uint32_t i = 0; i < count; ++i) {
            Mesh::Face face;
            if (!readIndexList(face.vertices, mesh.vertices.size()) || face.vertices.size() < 3) return false;
            mesh.faces.push_back(std::move(face));
        }
        for (;;) {
            std::shared_ptr<Object> child;
            std::string_view type;
            switch (nextChild(child, type)) {
            case Child::Close: return true;
            case Child::Bad: return false;
            case Child::Reference: break;
            case Child::Nested: {
                bool ok;
                if (type == "MeshNormals") {
                    ok = parseNormals(mesh);
                } else if (type == "MeshMaterialList") {
                    ok = parseMaterialList(mesh);
                } else {
                    ok = skipObject();
                }
                if (!ok) return false;
                break;
            }
            }
        }
    }

    // Normals, then for each face of the mesh as many normal indices as it has
    // vertices.
    bool parseNormals(Mesh& mesh) {
        if (!parseHeader(nullptr)) return false;
        std::uint32_t count = 0;
        if (!readCount(count)) return false;
        std::vector<Vec3> normals;
        normals.reserve(plausible(count, 6));
        for (std::uint32_t i = 0; i < count; ++i) {
            Vec3 n;
            if (!readVector(n)) return false;
            normals.push_back(n);
        }
        if (!readCount(count) || count != mesh.faces.size()) return false;
        std::vector<std::vector<std::uint32_t>> faceNormals(count);
        for (std::uint32_t i = 0; i < count; ++i) {
            if (!readIndexList(faceNormals[i], normals.size())) return false;
            if (faceNormals[i].size() != mesh.faces[i].vertices.size()) return false;
        }
        if (!skipToClose()) return false;
        mesh.normals = std::move(normals);
        for (std::uint32_t i = 0; i < count; ++i) mesh.faces[i].normals = std::move(faceNormals[i]);
        return true;
    }

    // Material count, per-face material indices (a shorter list repeats its
    // last index), then the materials themselves, inline or by reference.
    bool parseMaterialList(Mesh& mesh) {
        if (!parseHeader(nullptr)) return false;
        std::uint32_t materialCount = 0, indexCount = 0;
        if (!readCount(materialCount) || !readCount(indexCount) || indexCount > mesh.faces.size()) return false;
        std::vector<std::int32_t> indices;
        indices.reserve(plausible(indexCount, 2));
        for (std::uint32_t i = 0; i < indexCount; ++i) {
            std::uint32_t index = 0;
            if (!readCount(index) || index >= materialCount) return false;
            indices.push_back(static_cast<std::int32_t>(index));
        }
        std::vector<std::shared_ptr<Material>> materials;
        for (bool open = true; open;) {
            std::shared_ptr<Object> child;
            std::string_view type;
            switch (nextChild(child, type)) {
            case Child::Close: open = false; break;
            case Child::Bad: return false;
            case Child::Reference: {
                auto material = std::dynamic_pointer_cast<Material>(child);
                if (!material) return false;
                materials.push_back(std::move(material));
                break;
            }
            case Child::Nested:
                if (type == "Material") {
                    if (!parseObject(type, 0, child)) return false;
                    materials.push_back(std::static_pointer_cast<Material>(child));
                } else if (!skipObject()) {
                    return false;
                }
                break;
            }
        }
        if (materials.size() != materialCount) return false;
        const std::int32_t fill = indices.empty() ? (materialCount > 0 ? 0 : Mesh::kNoMaterial) : indices.back();
        for (std::size_t i = 0; i < mesh.faces.size(); ++i) {
            mesh.faces[i].material = i < indices.size() ? indices[i] : fill;
        }
        mesh.materials = std::move(materials);
        return true;
    }

    bool parseMaterialBody(Material& material) {
        if (!readFloat(material.color.r) || !readFloat(material.color.g) || !readFloat(material.color.b) ||
            !readFloat(material.color.a) || !readFloat(material.power) || !readFloat(material.specular.r) ||
            !readFloat(material.specular.g) || !readFloat(material.specular.b) ||
            !readFloat(material.emissive.r) || !readFloat(material.emissive.g) || !readFloat(material.emissive.b)) {
            return false;
        }
        return skipToClose();  // a texture file name, or anything else nested, is not used
    }

    // The rest of an object whose data was read: nested objects of no use and
    // references (which must resolve), up to its closing brace.
    bool skipToClose() {
        for (;;) {
            std::shared_ptr<Object> child;
            std::string_view type;
            switch (nextChild(child, type)) {
            case Child::Close: return true;
            case Child::Bad: return false;
            case Child::Reference: break;
            case Child::Nested:
                if (!skipObject()) return false;
                break;
            }
        }
    }

    Lexer m_lex;
    Token m_tok;
    std::map<std::string, std::shared_ptr<Object>, std::less<>> m_named;
};

bool parseVersion(std::string_view header, Result& result) {
    // "xof " major minor format float-size, e.g. "xof 0302txt 0032".
    if (header.size() < 16 || header.substr(0, 4) != "xof ") {
        result = kErrBadFile;
        return false;
    }
    if (header.substr(4, 2) != "03") {
        result = kErrBadMajorVersion;
        return false;
    }
    if (header.substr(6, 2) != "02" && header.substr(6, 2) != "03") {
        result = kErrBadMinorVersion;
        return false;
    }
    if (header.substr(8, 4) != "txt " || (header.substr(12, 4) != "0032" && header.substr(12, 4) != "0064")) {
        result = kErrBadFile;  // binary and compressed forms are not read
        return false;
    }
    return true;
}

}  // namespace

Result loadXFile(std::span<const std::uint8_t> text, const LoadCallback& callback) {
    const std::string_view all(reinterpret_cast<const char*>(text.data()), text.size());
    Result result = kOk;
    if (!parseVersion(all, result)) return result;
    try {
        std::vector<std::shared_ptr<Object>> topLevel;
        Parser parser(all.substr(16));
        if (!parser.parseFile(topLevel)) return kErrBadFile;
        if (callback) {
            for (const auto& object : topLevel) callback(object);
        }
        return kOk;
    } catch (const std::bad_alloc&) {
        return kErrBadAlloc;
    }
}

}  // namespace rova::rm
