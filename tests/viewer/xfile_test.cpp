#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/xfile.h"

namespace rova::rm {
namespace {

// Everything the loader reads, and some things it must pass over.
const std::string kSample = R"(xof 0302txt 0032
template Unused {
 <11111111-2222-3333-4444-555555555555>
 array FLOAT values[n]; [...]
}
Header { 1; 0; 1; }
# a comment
Material Dark {  // top-level material, used by reference below
 0.3;0.3;0.3;1.0;;
 100.0;
 1.0;1.0;1.0;;
 0.0;0.0;0.0;;
}
Mesh Shared {
 3;
 0;0;0;, 1;0;0;, 0;1;0;;
 1;
 3;0,1,2;;
}
Frame Top {
 FrameTransformMatrix {
  1,0,0,0, 0,1,0,0, 0,0,1,0, 1.5,-2,3e1,1;;
 }
 Mesh Quad {
  4;
  -1.0;-1.0;0.0;,
  1.0;-1.0;0.0;,
  1.0;1.0;0.0;,
  -1.0;1.0;0.0;;
  2;
  4;0,1,2,3;,
  3;0,2,3;;
  MeshNormals {
   1;
   0.0;0.0;-1.0;;
   2;
   4;0,0,0,0;,
   3;0,0,0;;
  }
  MeshMaterialList {
   2;
   2;
   1,
   0;;
   Material Light {
    0.7;0.7;0.7;1.0;;
    10.0;
    0.5;0.5;0.5;;
    0.0;0.0;0.0;;
    TextureFilename { "skin.bmp"; }
   }
   { Dark }
  }
  MeshTextureCoords { 1; 0.0;0.0;; }
 }
 Frame Child {
  { Shared }
  AnimationKey { 0; }
 }
}
)";

struct Loaded {
    Result result = kOk;
    std::vector<std::shared_ptr<Object>> objects;
};

Loaded load(const std::string& text) {
    Loaded out;
    out.result = loadXFile({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()},
                           [&](const std::shared_ptr<Object>& o) { out.objects.push_back(o); });
    return out;
}

std::string withCrLf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

TEST(XFileTest, LoadsFramesMeshesNormalsAndMaterials) {
    for (const std::string& text : {kSample, withCrLf(kSample)}) {
        Loaded l = load(text);
        ASSERT_EQ(l.result, kOk);
        ASSERT_EQ(l.objects.size(), 3u);  // material, mesh, frame; templates and Header are not objects
        auto dark = std::dynamic_pointer_cast<Material>(l.objects[0]);
        auto shared = std::dynamic_pointer_cast<Mesh>(l.objects[1]);
        auto top = std::dynamic_pointer_cast<Frame>(l.objects[2]);
        ASSERT_TRUE(dark && shared && top);
        EXPECT_EQ(dark->name(), "Dark");
        EXPECT_FLOAT_EQ(dark->power, 100.0f);
        EXPECT_FLOAT_EQ(dark->specular.g, 1.0f);

        EXPECT_EQ(top->name(), "Top");
        EXPECT_EQ(top->transform().origin, (Vec3{1.5f, -2, 30}));
        ASSERT_EQ(top->visuals().size(), 1u);
        auto quad = std::dynamic_pointer_cast<Mesh>(top->visuals()[0]);
        ASSERT_TRUE(quad);
        EXPECT_EQ(quad->name(), "Quad");
        ASSERT_EQ(quad->vertices.size(), 4u);
        EXPECT_EQ(quad->vertices[2], (Vec3{1, 1, 0}));
        ASSERT_EQ(quad->faces.size(), 2u);
        EXPECT_EQ(quad->faces[0].vertices, (std::vector<std::uint32_t>{0, 1, 2, 3}));
        EXPECT_EQ(quad->faces[1].normals, (std::vector<std::uint32_t>{0, 0, 0}));
        EXPECT_EQ(quad->normals.size(), 1u);
        ASSERT_EQ(quad->materials.size(), 2u);
        EXPECT_EQ(quad->materials[0]->name(), "Light");
        EXPECT_EQ(quad->materials[1], dark);  // by reference: the same object
        EXPECT_EQ(quad->faces[0].material, 1);
        EXPECT_EQ(quad->faces[1].material, 0);

        ASSERT_EQ(top->children().size(), 1u);
        const auto& child = top->children()[0];
        EXPECT_EQ(child->name(), "Child");
        EXPECT_EQ(child->parent(), top.get());
        ASSERT_EQ(child->visuals().size(), 1u);
        EXPECT_EQ(child->visuals()[0], shared);
        EXPECT_EQ(shared->faces[0].material, Mesh::kNoMaterial);
    }
}

TEST(XFileTest, ShortMaterialIndexListRepeatsItsLastIndex) {
    Loaded l = load(R"(xof 0302txt 0032
Mesh M { 3; 0;0;0;, 1;0;0;, 0;1;0;; 3; 3;0,1,2;, 3;0,2,1;, 3;1,2,0;;
 MeshMaterialList { 2; 2; 0, 1;;
  Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; }
  Material { 1;0;0;1;; 0; 0;0;0;; 0;0;0;; } } })");
    ASSERT_EQ(l.result, kOk);
    auto mesh = std::dynamic_pointer_cast<Mesh>(l.objects.at(0));
    ASSERT_TRUE(mesh);
    EXPECT_EQ(mesh->faces[0].material, 0);
    EXPECT_EQ(mesh->faces[1].material, 1);
    EXPECT_EQ(mesh->faces[2].material, 1);
}

TEST(XFileTest, ChecksTheHeader) {
    const struct {
        const char* text;
        Result expected;
    } cases[] = {
        {"xof 0302txt 0032", kOk},
        {"xof 0303txt 0064\r\n", kOk},
        {"", kErrBadFile},
        {"xof 0302txt 003", kErrBadFile},
        {"xof 0302bin 0032", kErrBadFile},
        {"xof 0302tzip0032", kErrBadFile},
        {"XOF 0302txt 0032", kErrBadFile},
        {"xof 0402txt 0032", kErrBadMajorVersion},
        {"xof 0301txt 0032", kErrBadMinorVersion},
    };
    for (const auto& c : cases) EXPECT_EQ(load(c.text).result, c.expected) << c.text;
}

TEST(XFileTest, RejectsMalformedInput) {
    const std::string mesh3 = "Mesh M { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; ";
    const std::string material = "Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; }";
    const struct {
        const char* what;
        std::string body;
    } cases[] = {
        {"unclosed frame", "Frame A { Frame B { } "},
        {"extra closing brace", "Frame A { } }"},
        {"closing brace first", "}"},
        {"object without braces", "Frame A ;"},
        {"more vertices than data", "Mesh M { 4; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }"},
        {"more faces than data", "Mesh M { 3; 0;0;0;, 1;0;0;, 0;1;0;; 2; 3;0,1,2;; }"},
        {"more face indices than data", "Mesh M { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 4;0,1,2;; }"},
        {"vertex index out of range", "Mesh M { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,3;; }"},
        {"face of two vertices", "Mesh M { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 2;0,1;; }"},
        {"data left over", "Mesh M { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; 7; }"},
        {"huge count, little data", "Mesh M { 4000000000; 0;0;0;; }"},
        {"count out of range", "Mesh M { 99999999999; }"},
        {"negative count", "Mesh M { -3; }"},
        {"fractional count", "Mesh M { 3.0; }"},
        {"normals for fewer faces", mesh3 + "MeshNormals { 1; 0;0;1;; 0; } }"},
        {"normal index out of range", mesh3 + "MeshNormals { 1; 0;0;1;; 1; 3;0,0,1;; } }"},
        {"normals per face mismatch", mesh3 + "MeshNormals { 1; 0;0;1;; 1; 2;0,0;; } }"},
        {"material index out of range", mesh3 + "MeshMaterialList { 1; 1; 1;; " + material + " } }"},
        {"fewer materials than counted", mesh3 + "MeshMaterialList { 2; 1; 0;; " + material + " } }"},
        {"more material indices than faces", mesh3 + "MeshMaterialList { 1; 2; 0, 0;; " + material + " } }"},
        {"material short of data", "Material { 1;1;1;1;; 0; 0;0;0;; }"},
        {"unknown reference", "Frame A { { Missing } }"},
        {"reference by GUID only", "Frame A { { <11111111-2222-3333-4444-555555555555> } }"},
        {"forward reference", "Frame A { { B } } Mesh B { 0; 0; }"},
        {"material reference to a mesh", "Mesh B { 0; 0; } " + mesh3 + "MeshMaterialList { 1; 1; 0;; { B } } }"},
        {"frame taken in by reference", "Frame A { } Frame B { { A } }"},
        {"frame referring to itself", "Frame A { { A } }"},
        {"matrix short of data", "Frame A { FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0; } }"},
        {"matrix with data left over", "Frame A { FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1,5; } }"},
        {"number too large", "Mesh M { 1; 1e39;0;0;; 0; }"},
        {"number without digits", "Mesh M { 1; -;0;0;; 0; }"},
        {"exponent without digits", "Mesh M { 1; 1e;0;0;; 0; }"},
        {"number running into a name", "Mesh M { 1; 12ab;0;0;; 0; }"},
        {"name where a number belongs", "Mesh M { 1; x;0;0;; 0; }"},
        {"unterminated string", "Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; TextureFilename { \"a } }"},
        {"unterminated GUID", "Frame A { <1234 }"},
        {"bad GUID", "Frame A { <12x4> }"},
        {"stray character", "Frame A { @ }"},
        {"control character", std::string("Frame A { \x01 }")},
        {"unfinished template", "template T { <11111111-2222-3333-4444-555555555555> "},
        {"number at top level", "42"},
    };
    for (const auto& c : cases) {
        Loaded l = load("xof 0302txt 0032\n" + c.body);
        EXPECT_EQ(l.result, kErrBadFile) << c.what;
        EXPECT_TRUE(l.objects.empty()) << c.what;  // nothing is handed over from a bad file
    }
}

TEST(XFileTest, RefusesNestingDeeperThanItsLimit) {
    std::string shallow = "xof 0302txt 0032\n", deep = shallow;
    for (int i = 0; i < 60; ++i) shallow += "Frame {";
    for (int i = 0; i < 60; ++i) shallow += "}";
    EXPECT_EQ(load(shallow).result, kOk);
    for (int i = 0; i < 100000; ++i) deep += "Frame {";
    for (int i = 0; i < 100000; ++i) deep += "}";
    EXPECT_EQ(load(deep).result, kErrBadFile);
}

TEST(XFileTest, EveryTruncationInsideAnObjectFails) {
    const std::size_t lastObject = kSample.find("Frame Top");
    for (std::size_t n = 0; n < kSample.size(); ++n) {
        Loaded l = load(kSample.substr(0, n));
        if (n > lastObject && kSample.find_first_not_of(" \n", n) != std::string::npos) {
            EXPECT_EQ(l.result, kErrBadFile) << "cut at " << n;
            EXPECT_TRUE(l.objects.empty());
        } else if (n <= lastObject && l.result == kOk) {
            EXPECT_LT(l.objects.size(), 3u) << "cut at " << n;
        }
    }
}

}  // namespace
}  // namespace rova::rm
