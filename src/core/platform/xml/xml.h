#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// libxml2 types, kept out of the callers' view.
struct _xmlDoc;
struct _xmlNode;

namespace xkm {

// Values bound into an XPath expression as variables: the expression refers to
// them as $name, so a value never becomes part of the expression's text.
using XPathVariables = std::map<std::string, std::string>;

class XmlNode {
 public:
  XmlNode() = default;
  explicit XmlNode(_xmlNode* node) : node_(node) {}

  explicit operator bool() const { return node_ != nullptr; }

  std::string localName() const;

  // The line of the element's start tag in the parsed text (from 1); 0 when
  // unknown.
  int line() const;

  // The element before this one in document order (an ancestor or one
  // before it); empty at the first.
  XmlNode previousElement() const;

  // Attributes in document order, counted from 0.
  int attributeCount() const;
  std::string attributeLocalName(int position) const;  // without a prefix
  std::string attributeValue(int position) const;
  // Empty when the attribute does not exist.
  std::optional<std::string> attribute(const std::string& name) const;

  // The text content: the character data of the node and its descendants,
  // CDATA sections included, without markup, white space as in the document
  // (line breaks are LF after the parser's end-of-line handling).
  std::string text() const;

  // The node's serialized markup as libxml2 writes it (no formatting added).
  std::string markup() const;

  _xmlNode* raw() const { return node_; }

 private:
  _xmlNode* node_ = nullptr;
};

class XmlDocument {
 public:
  XmlDocument();
  ~XmlDocument();
  XmlDocument(XmlDocument&&) noexcept;
  XmlDocument& operator=(XmlDocument&&) noexcept;
  XmlDocument(const XmlDocument&) = delete;
  XmlDocument& operator=(const XmlDocument&) = delete;

  // Replaces the content by the parsed file. Returns false and sets
  // parseErrorReason() when the file is missing, unreadable or not well-formed;
  // the document is then empty. White space is kept as written; no network
  // access, no external DTD. A document that declares an entity is refused
  // as not well-formed, before any entity is expanded.
  bool load(const std::string& path);
  bool loadFromMemory(const std::string& content);

  bool empty() const { return doc_ == nullptr; }
  int parseErrorCode() const { return parseErrorCode_; }
  // The parser's reason, with its line and column appended when known.
  const std::string& parseErrorReason() const { return parseErrorReason_; }
  // The same reason alone, and where the parser stopped (0 when unknown).
  const std::string& parseErrorMessage() const { return parseErrorMessage_; }
  int parseErrorLine() const { return parseErrorLine_; }
  int parseErrorColumn() const { return parseErrorColumn_; }

  // Binds a namespace prefix for the XPath expressions of this document.
  void setNamespace(const std::string& prefix, const std::string& uri);

  // Namespace URIs declared in the document, in document order (first
  // declaration of each).
  std::vector<std::string> declaredNamespaceUris() const;

  // XPath 1.0. `context` is the node relative paths start at (the document
  // when empty). An invalid expression throws an Error. On an empty document
  // nothing is found.
  XmlNode selectSingleNode(const std::string& xpath, const XPathVariables& variables = {},
                           XmlNode context = {}) const;
  std::vector<XmlNode> selectNodes(const std::string& xpath, const XPathVariables& variables = {},
                                   XmlNode context = {}) const;

 private:
  void setParseErrors(int code, const std::string& reason, const std::string& message, int line,
                      int column);

  _xmlDoc* doc_ = nullptr;
  int parseErrorCode_ = 0;
  std::string parseErrorReason_;
  std::string parseErrorMessage_;
  int parseErrorLine_ = 0;
  int parseErrorColumn_ = 0;
  std::vector<std::pair<std::string, std::string>> namespaces_;
};

}  // namespace xkm
