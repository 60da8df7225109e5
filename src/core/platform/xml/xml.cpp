#include "core/platform/xml/xml.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <set>

#include "core/platform/error.h"
#include "core/platform/os/file_system.h"

namespace xkm {
namespace {

void InitLibxml() {
  static const bool initialized = [] {
    xmlInitParser();
    return true;
  }();
  (void)initialized;
}

std::string ToString(const xmlChar* text) {
  return text ? std::string(reinterpret_cast<const char*>(text)) : std::string();
}

// Takes ownership of a string libxml2 allocated.
std::string TakeString(xmlChar* text) {
  std::string result = ToString(text);
  xmlFree(text);
  return result;
}

const xmlChar* Xml(const std::string& s) {
  return reinterpret_cast<const xmlChar*>(s.c_str());
}

// libxml2 messages end in a line break and some span two lines.
std::string CleanMessage(std::string message) {
  while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) {
    message.pop_back();
  }
  for (char& c : message) {
    if (c == '\n') c = ' ';
  }
  return message;
}

std::string ErrorMessage(const xmlError& error) {
  return CleanMessage(error.message ? error.message : "Unknown error");
}

// Routes libxml2's thread-wide error output to this object while it lives, so
// that nothing reaches stderr and the first message can go into an Error.
class ErrorCapture {
 public:
  ErrorCapture()
      : oldStructured_(xmlStructuredError),
        oldStructuredContext_(xmlStructuredErrorContext),
        oldGeneric_(xmlGenericError),
        oldGenericContext_(xmlGenericErrorContext) {
    xmlSetStructuredErrorFunc(this, OnStructured);
    xmlSetGenericErrorFunc(this, OnGeneric);
  }
  ~ErrorCapture() {
    xmlSetStructuredErrorFunc(oldStructuredContext_, oldStructured_);
    xmlSetGenericErrorFunc(oldGenericContext_, oldGeneric_);
  }
  ErrorCapture(const ErrorCapture&) = delete;
  ErrorCapture& operator=(const ErrorCapture&) = delete;

  const std::string& firstMessage() const { return first_; }

 private:
  static void OnStructured(void* self, xmlErrorPtr error) {
    auto* capture = static_cast<ErrorCapture*>(self);
    if (error != nullptr && capture->first_.empty()) capture->first_ = ErrorMessage(*error);
  }
  static void OnGeneric(void* self, const char* format, ...) {
    auto* capture = static_cast<ErrorCapture*>(self);
    // Generic output arrives in pieces; only a line's worth is kept.
    char piece[512];
    va_list args;
    va_start(args, format);
    vsnprintf(piece, sizeof piece, format, args);
    va_end(args);
    if (capture->genericDone_) return;
    capture->generic_ += piece;
    if (capture->generic_.find('\n') != std::string::npos) {
      capture->genericDone_ = true;
      if (capture->first_.empty()) capture->first_ = CleanMessage(capture->generic_);
    }
  }

  xmlStructuredErrorFunc oldStructured_;
  void* oldStructuredContext_;
  xmlGenericErrorFunc oldGeneric_;
  void* oldGenericContext_;
  std::string first_;
  std::string generic_;
  bool genericDone_ = false;
};

// The first error of a parse; libxml2 reports follow-up errors that only
// restate the first one.
struct ParseErrors {
  int code = 0;
  std::string reason;   // message, then line and column when known
  std::string message;  // empty: the same as reason
  int line = 0;
  int column = 0;
};

void CollectParseError(void* data, xmlErrorPtr error) {
  auto* ctxt = static_cast<xmlParserCtxtPtr>(data);
  auto* errors = static_cast<ParseErrors*>(ctxt->_private);
  if (errors == nullptr || error == nullptr || error->level < XML_ERR_ERROR) return;
  if (errors->code != 0) return;
  errors->code = error->code != 0 ? error->code : -1;
  errors->reason = ErrorMessage(*error);
  errors->message = errors->reason;
  if (error->line > 0) {
    errors->line = error->line;
    errors->column = error->int2;
    errors->reason +=
        " (line " + std::to_string(error->line) + ", column " + std::to_string(error->int2) + ")";
  }
}

// Entities are refused at their declaration, before the parser can expand a
// reference: no logistic-data file, library or process list declares any, and
// a few references to one large entity cost memory out of all proportion to
// the file. The parse stops at the first declaration, in whichever subset.
void RefuseEntity(xmlParserCtxtPtr ctxt, const xmlChar* name, bool parameter) {
  auto* errors = static_cast<ParseErrors*>(ctxt->_private);
  if (errors != nullptr && errors->code == 0) {
    errors->code = XML_ERR_USER_STOP;
    errors->message = std::string("The document declares the ") +
                      (parameter ? "parameter entity" : "entity") + " \"" + ToString(name) +
                      "\"; entity declarations are not accepted";
    errors->reason = errors->message;
    // The parser stands at the end of the declaration; the column there says
    // nothing useful.
    if (ctxt->input != nullptr && ctxt->input->line > 0) {
      errors->line = ctxt->input->line;
      errors->reason += " (line " + std::to_string(errors->line) + ")";
    }
  }
  ctxt->wellFormed = 0;
  xmlStopParser(ctxt);
}

void OnEntityDecl(void* data, const xmlChar* name, int type, const xmlChar*, const xmlChar*,
                  xmlChar*) {
  RefuseEntity(static_cast<xmlParserCtxtPtr>(data), name,
               type == XML_INTERNAL_PARAMETER_ENTITY || type == XML_EXTERNAL_PARAMETER_ENTITY);
}

void OnUnparsedEntityDecl(void* data, const xmlChar* name, const xmlChar*, const xmlChar*,
                          const xmlChar*) {
  RefuseEntity(static_cast<xmlParserCtxtPtr>(data), name, false);
}

struct XPathContextDeleter {
  void operator()(xmlXPathContextPtr p) const { xmlXPathFreeContext(p); }
};
struct XPathCompDeleter {
  void operator()(xmlXPathCompExprPtr p) const { xmlXPathFreeCompExpr(p); }
};
struct XPathObjectDeleter {
  void operator()(xmlXPathObjectPtr p) const { xmlXPathFreeObject(p); }
};

Error XPathError(const std::string& expression, const ErrorCapture& capture) {
  std::string text = "Invalid XPath expression \"" + expression + "\"";
  if (!capture.firstMessage().empty()) text += ": " + capture.firstMessage();
  return Error(platform_error::kInvalidProcedureCall, text, "XPath");
}

}  // namespace

// --- XmlNode ----------------------------------------------------------------

int XmlNode::line() const {
  if (node_ == nullptr) return 0;
  const long line = xmlGetLineNo(node_);
  return line > 0 && line <= INT_MAX ? static_cast<int>(line) : 0;
}

XmlNode XmlNode::previousElement() const {
  xmlNodePtr node = node_;
  while (node != nullptr) {
    if (node->prev != nullptr) {
      node = node->prev;
      while (node->type == XML_ELEMENT_NODE && node->last != nullptr) node = node->last;
    } else {
      node = node->parent;
    }
    if (node == nullptr || node->type == XML_DOCUMENT_NODE) return {};
    if (node->type == XML_ELEMENT_NODE) return XmlNode(node);
  }
  return {};
}

std::string XmlNode::localName() const {
  if (node_ == nullptr) return {};
  switch (node_->type) {
    case XML_ELEMENT_NODE:
    case XML_ATTRIBUTE_NODE:
    case XML_PI_NODE:
    case XML_ENTITY_REF_NODE:
      return ToString(node_->name);
    default:
      return {};
  }
}

namespace {
xmlAttrPtr AttributeAt(xmlNodePtr node, int position) {
  if (node == nullptr || node->type != XML_ELEMENT_NODE || position < 0) return nullptr;
  xmlAttrPtr attr = node->properties;
  for (int i = 0; attr != nullptr && i < position; ++i) attr = attr->next;
  return attr;
}

std::string AttributeText(xmlAttrPtr attr) {
  return TakeString(xmlNodeListGetString(attr->doc, attr->children, 1));
}
}  // namespace

int XmlNode::attributeCount() const {
  if (node_ == nullptr || node_->type != XML_ELEMENT_NODE) return 0;
  int count = 0;
  for (xmlAttrPtr attr = node_->properties; attr != nullptr; attr = attr->next) ++count;
  return count;
}

std::string XmlNode::attributeLocalName(int position) const {
  xmlAttrPtr attr = AttributeAt(node_, position);
  return attr ? ToString(attr->name) : std::string();
}

std::string XmlNode::attributeValue(int position) const {
  xmlAttrPtr attr = AttributeAt(node_, position);
  return attr ? AttributeText(attr) : std::string();
}

std::optional<std::string> XmlNode::attribute(const std::string& name) const {
  if (node_ == nullptr || node_->type != XML_ELEMENT_NODE) return std::nullopt;
  // The name as written in the document, prefix included.
  for (xmlAttrPtr attr = node_->properties; attr != nullptr; attr = attr->next) {
    std::string qualified = ToString(attr->name);
    if (attr->ns != nullptr && attr->ns->prefix != nullptr) {
      qualified = ToString(attr->ns->prefix) + ":" + qualified;
    }
    if (qualified == name) return AttributeText(attr);
  }
  return std::nullopt;
}

std::string XmlNode::text() const {
  if (node_ == nullptr) return {};
  return TakeString(xmlNodeGetContent(node_));
}

std::string XmlNode::markup() const {
  if (node_ == nullptr) return {};
  xmlBufferPtr buffer = xmlBufferCreate();
  if (buffer == nullptr) return {};
  xmlNodeDump(buffer, node_->doc, node_, 0, 0);
  std::string result = ToString(xmlBufferContent(buffer));
  xmlBufferFree(buffer);
  return result;
}

// --- XmlDocument ------------------------------------------------------------

XmlDocument::XmlDocument() {
  InitLibxml();
}

XmlDocument::~XmlDocument() {
  if (doc_ != nullptr) xmlFreeDoc(doc_);
}

XmlDocument::XmlDocument(XmlDocument&& other) noexcept
    : doc_(other.doc_),
      parseErrorCode_(other.parseErrorCode_),
      parseErrorReason_(std::move(other.parseErrorReason_)),
      parseErrorMessage_(std::move(other.parseErrorMessage_)),
      parseErrorLine_(other.parseErrorLine_),
      parseErrorColumn_(other.parseErrorColumn_),
      namespaces_(std::move(other.namespaces_)) {
  other.doc_ = nullptr;
  other.parseErrorCode_ = 0;
}

XmlDocument& XmlDocument::operator=(XmlDocument&& other) noexcept {
  if (this != &other) {
    if (doc_ != nullptr) xmlFreeDoc(doc_);
    doc_ = other.doc_;
    parseErrorCode_ = other.parseErrorCode_;
    parseErrorReason_ = std::move(other.parseErrorReason_);
    parseErrorMessage_ = std::move(other.parseErrorMessage_);
    parseErrorLine_ = other.parseErrorLine_;
    parseErrorColumn_ = other.parseErrorColumn_;
    namespaces_ = std::move(other.namespaces_);
    other.doc_ = nullptr;
    other.parseErrorCode_ = 0;
  }
  return *this;
}

namespace {
// Parses `content` into a document; on failure returns null and fills `errors`.
xmlDocPtr Parse(const std::string& content, const char* url, ParseErrors& errors) {
  if (content.size() > static_cast<size_t>(INT_MAX)) {
    errors.code = XML_ERR_INTERNAL_ERROR;
    errors.reason = "Document too large";
    return nullptr;
  }
  xmlParserCtxtPtr ctxt = xmlNewParserCtxt();
  if (ctxt == nullptr) throw platform_error::OutOfMemory("XML");
  // Parse errors go to our collector; anything else libxml2 reports is dropped.
  ErrorCapture capture;
  ctxt->_private = &errors;
  ctxt->sax->serror = CollectParseError;
  ctxt->sax->entityDecl = OnEntityDecl;
  ctxt->sax->unparsedEntityDecl = OnUnparsedEntityDecl;
  // NONET and no NOENT/DTDLOAD/HUGE: no external DTD is fetched, and the
  // parser keeps its own size limits.
  xmlDocPtr doc =
      xmlCtxtReadMemory(ctxt, content.data(), static_cast<int>(content.size()), url, nullptr,
                        XML_PARSE_NONET | XML_PARSE_COMPACT | XML_PARSE_BIG_LINES);
  // A namespace error (an undeclared prefix) leaves the document unusable for
  // XPath, so it counts as not well-formed.
  const bool ok = doc != nullptr && ctxt->wellFormed && ctxt->nsWellFormed;
  xmlFreeParserCtxt(ctxt);
  if (!ok) {
    if (doc != nullptr) xmlFreeDoc(doc);
    // Memory running out is no property of the document.
    if (errors.code == XML_ERR_NO_MEMORY) throw platform_error::OutOfMemory("XML");
    if (errors.code == 0) {
      errors.code = XML_ERR_DOCUMENT_END;
      errors.reason = capture.firstMessage().empty() ? "The document is not well-formed"
                                                     : capture.firstMessage();
    }
    return nullptr;
  }
  errors = ParseErrors();  // what was reported did not stop the parse
  return doc;
}
}  // namespace

bool XmlDocument::load(const std::string& path) {
  if (doc_ != nullptr) xmlFreeDoc(doc_);
  doc_ = nullptr;
  std::string content;
  try {
    content = fs::ReadAllBytes(path);
  } catch (const Error& error) {
    setParseErrors(error.number(), error.description(), {}, 0, 0);
    return false;
  }
  ParseErrors errors;
  doc_ = Parse(content, path.c_str(), errors);
  setParseErrors(errors.code, errors.reason, errors.message, errors.line, errors.column);
  return doc_ != nullptr;
}

bool XmlDocument::loadFromMemory(const std::string& content) {
  if (doc_ != nullptr) xmlFreeDoc(doc_);
  doc_ = nullptr;
  ParseErrors errors;
  doc_ = Parse(content, nullptr, errors);
  setParseErrors(errors.code, errors.reason, errors.message, errors.line, errors.column);
  return doc_ != nullptr;
}

void XmlDocument::setParseErrors(int code, const std::string& reason, const std::string& message,
                                 int line, int column) {
  parseErrorCode_ = code;
  parseErrorReason_ = reason;
  parseErrorMessage_ = message.empty() ? reason : message;
  parseErrorLine_ = line;
  parseErrorColumn_ = column;
}

void XmlDocument::setNamespace(const std::string& prefix, const std::string& uri) {
  for (auto& [p, u] : namespaces_) {
    if (p == prefix) {
      u = uri;
      return;
    }
  }
  namespaces_.emplace_back(prefix, uri);
}

std::vector<std::string> XmlDocument::declaredNamespaceUris() const {
  std::vector<std::string> uris;
  if (doc_ == nullptr) return uris;
  std::set<std::string> seen;
  // Iterative pre-order walk: deep documents must not exhaust the stack.
  xmlNodePtr node = xmlDocGetRootElement(doc_);
  while (node != nullptr) {
    if (node->type == XML_ELEMENT_NODE) {
      for (xmlNsPtr ns = node->nsDef; ns != nullptr; ns = ns->next) {
        std::string uri = ToString(ns->href);
        if (seen.insert(uri).second) uris.push_back(std::move(uri));
      }
      if (node->children != nullptr) {
        node = node->children;
        continue;
      }
    }
    while (node != nullptr && node->next == nullptr) {
      node = node->parent;
      if (node == nullptr || node->type == XML_DOCUMENT_NODE) return uris;
    }
    if (node != nullptr) node = node->next;
  }
  return uris;
}

std::vector<XmlNode> XmlDocument::selectNodes(const std::string& xpath,
                                              const XPathVariables& variables,
                                              XmlNode context) const {
  InitLibxml();
  ErrorCapture capture;
  std::unique_ptr<xmlXPathContext, XPathContextDeleter> ctx(xmlXPathNewContext(doc_));
  if (!ctx) throw platform_error::OutOfMemory("XPath");

  std::unique_ptr<xmlXPathCompExpr, XPathCompDeleter> compiled(
      xmlXPathCtxtCompile(ctx.get(), Xml(xpath)));
  if (!compiled) throw XPathError(xpath, capture);
  if (doc_ == nullptr) return {};

  for (const auto& [prefix, uri] : namespaces_) {
    xmlXPathRegisterNs(ctx.get(), Xml(prefix), Xml(uri));
  }
  for (const auto& [name, value] : variables) {
    // The context owns the registered value from here on.
    xmlXPathRegisterVariable(ctx.get(), Xml(name), xmlXPathNewCString(value.c_str()));
  }
  ctx->node = context ? context.raw() : reinterpret_cast<xmlNodePtr>(doc_);

  std::unique_ptr<xmlXPathObject, XPathObjectDeleter> result(
      xmlXPathCompiledEval(compiled.get(), ctx.get()));
  if (!result) throw XPathError(xpath, capture);
  if (result->type != XPATH_NODESET) {
    throw Error(platform_error::kInvalidProcedureCall,
                "XPath expression \"" + xpath + "\" does not select nodes", "XPath");
  }

  std::vector<XmlNode> nodes;
  if (xmlNodeSetPtr set = result->nodesetval; set != nullptr) {
    nodes.reserve(static_cast<size_t>(set->nodeNr));
    for (int i = 0; i < set->nodeNr; ++i) {
      // Namespace nodes are copies owned by the result, so they cannot outlive it.
      if (set->nodeTab[i]->type == XML_NAMESPACE_DECL) continue;
      nodes.emplace_back(set->nodeTab[i]);
    }
  }
  return nodes;
}

XmlNode XmlDocument::selectSingleNode(const std::string& xpath, const XPathVariables& variables,
                                      XmlNode context) const {
  std::vector<XmlNode> nodes = selectNodes(xpath, variables, context);
  return nodes.empty() ? XmlNode() : nodes.front();
}

}  // namespace xkm
