#include "core/platform/xml/xml.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/error_number.h"
#include "support/scratch_folder.h"

namespace xkm {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

const char* const kEcus =
    "<?xml version=\"1.0\"?>\r\n"
    "<root xmlns:x=\"urn:x\">\r\n"
    "  <ECU name=\"O'BRIEN\" id=\"2\" x:flag=\"yes\"><![CDATA[a<b\r\nc]]>&amp;tail</ECU>\r\n"
    "  <ECU name='say \"O&apos;BRIEN\"' id=\"1\"/>\r\n"
    "</root>\r\n";

// Each failure drops the earlier document and gives a reason; the reasons for
// a missing file and a broken one are pinned by the logistic data step's tests.
TEST(XmlDocument, LoadFailuresGiveAReason) {
  test::ScratchFolder folder;
  XmlDocument doc;
  const std::pair<std::function<bool()>, std::string> rows[] = {
      {[&] { return doc.load(folder.file("missing.xml")); }, "missing.xml"},
      {[&] { return doc.load(folder.write("empty.xml", "")); }, ""},
      {[&] { return doc.loadFromMemory("<a><p:b/></a>"); }, "p"}};  // undeclared prefix
  for (const auto& [load, reason] : rows) {
    ASSERT_TRUE(doc.load(folder.write("good.xml", kEcus)));
    EXPECT_FALSE(load()) << reason;
    EXPECT_TRUE(doc.empty() && doc.selectNodes("//ECU").empty()) << reason;
    EXPECT_NE(doc.parseErrorCode(), 0) << reason;
    EXPECT_THAT(doc.parseErrorReason(), HasSubstr(reason));
    EXPECT_FALSE(doc.parseErrorReason().empty());
  }
  EXPECT_TRUE(doc.loadFromMemory("<a/>"));
  EXPECT_EQ(doc.parseErrorReason(), "");
}

// Entities are refused where they are declared, so nothing is ever expanded
// or fetched; a DOCTYPE without them still loads.
TEST(XmlDocument, RefusesEntityDeclarations) {
  std::string references;
  for (int i = 0; i < 5000; ++i) references += "&x;";
  const std::string refused = "; entity declarations are not accepted (line ";
  const std::tuple<const char*, std::string, std::string> rows[] = {
      {"internal general entity", "<!DOCTYPE r [<!ENTITY e \"x\">]><r>&e;</r>",
       "The document declares the entity \"e\"" + refused + "1)"},
      {"parameter entity", "<!DOCTYPE r [\n<!ENTITY % p \"<!ELEMENT r ANY>\">\n%p;]><r/>",
       "The document declares the parameter entity \"p\"" + refused + "2)"},
      {"external entity", "<!DOCTYPE r [<!ENTITY e SYSTEM \"file:///etc/passwd\">]>\n<r>&e;</r>",
       "The document declares the entity \"e\"" + refused + "1)"},
      {"unparsed entity",
       "<!DOCTYPE r [<!NOTATION n SYSTEM \"n\"><!ENTITY u SYSTEM \"u\" NDATA n>]><r/>",
       "The document declares the entity \"u\"" + refused + "1)"},
      {"one large entity referenced often",
       "<?xml version=\"1.0\"?>\n<!DOCTYPE r [\n\n<!ENTITY x \"" + std::string(10000, 'a') +
           "\">]>\n<r>" + references + "</r>",
       "The document declares the entity \"x\"" + refused + "4)"},
      {"DOCTYPE without entities", "<!DOCTYPE LIB>\n<LIB/>", "loaded"},
  };
  for (const auto& [name, document, result] : rows) {
    SCOPED_TRACE(name);
    XmlDocument doc;
    EXPECT_EQ(doc.loadFromMemory(document) ? "loaded" : doc.parseErrorReason(), result);
  }
}

TEST(XmlNode, AttributesTextAndMarkup) {
  XmlDocument doc;
  ASSERT_TRUE(doc.loadFromMemory(kEcus));
  XmlNode ecu = doc.selectSingleNode("/root/ECU");
  ASSERT_TRUE(ecu);
  ASSERT_EQ(ecu.attributeCount(), 3);
  EXPECT_EQ(ecu.attributeLocalName(0) + "=" + ecu.attributeValue(0) + " " +
                ecu.attributeLocalName(2) + "=" + ecu.attributeValue(2),
            "name=O'BRIEN flag=yes");
  EXPECT_EQ(std::vector({ecu.attribute("x:flag"), ecu.attribute("id"), ecu.attribute("flag")}),
            std::vector<std::optional<std::string>>({"yes", "2", std::nullopt}));
  // CR LF reaches the text as LF, also inside CDATA.
  EXPECT_EQ(ecu.text(), "a<b\nc&tail");
  EXPECT_EQ(ecu.markup(),
            "<ECU name=\"O'BRIEN\" id=\"2\" x:flag=\"yes\"><![CDATA[a<b\nc]]>&amp;tail</ECU>");
  XmlNode id = doc.selectSingleNode("//ECU/@id");
  ASSERT_TRUE(id);
  EXPECT_EQ(id.localName() + "=" + id.text() + " " + std::to_string(id.attributeCount()), "id=2 0");
}

// A broken expression names itself and the parser's reason.
TEST(XmlDocument, AnInvalidXPathSaysWhy) {
  XmlDocument doc;
  const Error error = test::ErrorOf([&] { doc.selectNodes("//ECU[@name="); });
  EXPECT_EQ(error.description().rfind("Invalid XPath expression \"//ECU[@name=\": ", 0), 0u)
      << error.description();
}

TEST(XmlDocument, NamespacesAreBoundAndListed) {
  XmlDocument doc;
  ASSERT_TRUE(doc.loadFromMemory(
      "<r xmlns='urn:a' xmlns:x='urn:x'><x:i xmlns:y='urn:y'/><i xmlns:x='urn:x'/>"
      "<z xmlns='urn:z'/></r>"));
  EXPECT_THAT(doc.declaredNamespaceUris(), ElementsAre("urn:a", "urn:x", "urn:y", "urn:z"));
  EXPECT_TRUE(doc.selectNodes("//i").empty());  // in the default namespace
  doc.setNamespace("a", "urn:a");
  EXPECT_EQ(doc.selectNodes("//a:i").size(), 1u);
  EXPECT_THROW(doc.selectNodes("//b:i"), Error);  // unbound prefix
  // Moving keeps the nodes and the bindings.
  XmlDocument moved = std::move(doc);
  EXPECT_EQ(moved.selectNodes("//a:r").size(), 1u);
  doc = std::move(moved);
  EXPECT_FALSE(doc.empty());
}

}  // namespace
}  // namespace xkm
