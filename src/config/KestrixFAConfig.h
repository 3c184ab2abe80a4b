#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <pugixml.hpp>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace quorvex {

/// An integer or boolean attribute whose text has no value of that type. The message names
/// the text, the attribute, the element and the file, e.g. "'ten' is not a valid integer
/// value in attribute 'value' of /config/sizerange/item[2] in '/home/u/KestrixFAConfig.xml'".
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// A configuration file that is not a regular file of at most ConfigFileSizeLimit bytes, is
/// not well-formed XML, or whose root is not `config`.
class EConfigFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// A parsed configuration document and the file it was read from (empty for none).
struct TConfigDocument {
    pugi::xml_document DOM;
    std::string FileName;
};

/// Typed access to one element of a configuration document. Binding objects are cheap handles:
/// each shares ownership of the document, so the document lives while any of them does.
/// Nothing is cached; every call reads or writes the DOM.
///
/// Getters follow the auto-create rule: an absent attribute is first added with empty text,
/// an absent child element is appended empty. Integers are signed decimals of 32 bits (64
/// for range bounds); a read
/// accepts blanks around the digits and one leading '-', nothing else (no '+', no grouping,
/// no fraction). Booleans are written "True"/"False" and read in any letter case, blanks
/// around allowed. Numbers never go through the process locale.
///
/// Removing an element (Clear, Delete, Remove) frees its DOM node: handles to it must not be
/// used afterwards.
class TXMLElement {
public:
    TXMLElement(std::shared_ptr<TConfigDocument> document, pugi::xml_node node);

    pugi::xml_node DOMNode() const { return FNode; }
    /// The DOM, sharing ownership with the handles.
    std::shared_ptr<pugi::xml_document> Document() const { return {FDocument, &FDocument->DOM}; }
    const std::shared_ptr<TConfigDocument>& Source() const { return FDocument; }

protected:
    /// The first child element with `tag`, appended empty when there is none.
    pugi::xml_node ChildElement(const char* tag) const;

    std::string GetText(const char* name) const;
    std::int32_t GetInt(const char* name) const;
    std::int64_t GetInt64(const char* name) const;
    bool GetBool(const char* name) const;
    void SetText(const char* name, std::string_view value);
    void SetInt(const char* name, std::int64_t value);
    void SetBool(const char* name, bool value);

private:
    pugi::xml_attribute Attribute(const char* name) const;
    [[noreturn]] void ThrowConvertError(const char* name, const char* typeName) const;

    std::shared_ptr<TConfigDocument> FDocument;
    pugi::xml_node FNode;
};

/// The children of one element that bear one item tag, in document order; children with
/// other tags are not items and are left alone. Positions count from 0; a position outside
/// the items throws std::out_of_range.
class TXMLNodeCollection : public TXMLElement {
public:
    int Count() const;
    /// Removes every item, one at a time from the first.
    void Clear();
    void Delete(int index);

protected:
    TXMLNodeCollection(const TXMLElement& element, const char* itemTag);

    pugi::xml_node ItemNode(int index) const;
    /// Every item in one pass; Count() and ItemNode() walk the children at each call.
    std::vector<pugi::xml_node> ItemNodes() const;
    /// A new empty item as the last child.
    pugi::xml_node AddItem();
    /// A new empty item placed before item `index`; `index == Count()` appends.
    pugi::xml_node InsertItem(int index);
    /// Removes `item` and returns its former position, or -1 when it is not an item here.
    int RemoveItem(pugi::xml_node item);

private:
    const char* FItemTag;
};

/// `node`: one column of the entry lists.
class TXMLNodeType : public TXMLElement {
public:
    using TXMLElement::TXMLElement;

    std::string Name() const { return GetText("Name"); }
    bool Visible() const { return GetBool("Visible"); }
    std::int32_t Index() const { return GetInt("Index"); }
    std::int32_t Width() const { return GetInt("Width"); }
    /// "right", "center" or anything else (left); compared exactly by the views.
    std::string Align() const { return GetText("Align"); }

    void SetName(std::string_view value) { SetText("Name", value); }
    void SetVisible(bool value) { SetBool("Visible", value); }
    void SetIndex(std::int32_t value) { SetInt("Index", value); }
    void SetWidth(std::int32_t value) { SetInt("Width", value); }
    void SetAlign(std::string_view value) { SetText("Align", value); }
};

/// `item`: one group of a range list; `value` is its upper bound.
class TXMLItemType : public TXMLElement {
public:
    using TXMLElement::TXMLElement;

    std::string Caption() const { return GetText("caption"); }
    std::int64_t Value() const { return GetInt64("value"); }

    void SetCaption(std::string_view value) { SetText("caption", value); }
    void SetValue(std::int64_t value) { SetInt("value", value); }
};

/// `default`: the report defaults and the caption of the overflow group.
class TXMLDefaultType : public TXMLElement {
public:
    using TXMLElement::TXMLElement;

    std::int32_t Largefilenum() const { return GetInt("largefilenum"); }
    std::int32_t Olderfilenum() const { return GetInt("olderfilenum"); }
    std::string Abovelast() const { return GetText("abovelast"); }

    void SetLargefilenum(std::int32_t value) { SetInt("largefilenum", value); }
    void SetOlderfilenum(std::int32_t value) { SetInt("olderfilenum", value); }
    void SetAbovelast(std::string_view value) { SetText("abovelast", value); }
};

/// `files`: the `node` children, one per column.
class TXMLFilesType : public TXMLNodeCollection {
public:
    explicit TXMLFilesType(const TXMLElement& element) : TXMLNodeCollection(element, "node") {}

    TXMLNodeType Node(int index) const { return Wrap(ItemNode(index)); }
    TXMLNodeType Add() { return Wrap(AddItem()); }
    TXMLNodeType Insert(int index) { return Wrap(InsertItem(index)); }
    int Remove(const TXMLNodeType& node) { return RemoveItem(node.DOMNode()); }

private:
    TXMLNodeType Wrap(pugi::xml_node node) const { return {Source(), node}; }
};

/// A range list: the `item` children, one per group, in the order they classify.
class TXMLRangeType : public TXMLNodeCollection {
public:
    explicit TXMLRangeType(const TXMLElement& element) : TXMLNodeCollection(element, "item") {}

    TXMLItemType Item(int index) const { return Wrap(ItemNode(index)); }
    /// All items in document order, read in one pass over the children.
    std::vector<TXMLItemType> Items() const;
    TXMLItemType Add() { return Wrap(AddItem()); }
    TXMLItemType Insert(int index) { return Wrap(InsertItem(index)); }
    int Remove(const TXMLItemType& item) { return RemoveItem(item.DOMNode()); }

private:
    TXMLItemType Wrap(pugi::xml_node node) const { return {Source(), node}; }
};

/// `agerange`: bounds in days.
class TXMLAgerangeType : public TXMLRangeType {
public:
    using TXMLRangeType::TXMLRangeType;
};

/// `sizerange`: bounds in bytes.
class TXMLSizerangeType : public TXMLRangeType {
public:
    using TXMLRangeType::TXMLRangeType;
};

/// `lengthrange`: bounds in characters of the entry's name.
class TXMLLengthrangeType : public TXMLRangeType {
public:
    using TXMLRangeType::TXMLRangeType;
};

/// `config`: the root of the document.
class TXMLConfigType : public TXMLElement {
public:
    using TXMLElement::TXMLElement;

    std::int32_t VersionNo() const { return GetInt("versionNo"); }
    TXMLFilesType Files() const { return TXMLFilesType(Child("files")); }
    TXMLAgerangeType Agerange() const { return TXMLAgerangeType(Child("agerange")); }
    TXMLSizerangeType Sizerange() const { return TXMLSizerangeType(Child("sizerange")); }
    TXMLLengthrangeType Lengthrange() const { return TXMLLengthrangeType(Child("lengthrange")); }
    TXMLDefaultType Default() const { return {Source(), ChildElement("default")}; }

    void SetVersionNo(std::int32_t value) { SetInt("versionNo", value); }

private:
    TXMLElement Child(const char* tag) const { return {Source(), ChildElement(tag)}; }
};

/// The largest configuration file LoadConfig reads. The default document has 1922 bytes;
/// anything near the limit is not a configuration someone wrote.
inline constexpr std::size_t ConfigFileSizeLimit = std::size_t(8) << 20;

/// The root handle handed out by LoadConfig and the configuration store.
using IXMLConfigType = std::shared_ptr<TXMLConfigType>;

/// Parses `fileName` into a new document and binds its root. Throws std::system_error when
/// the file cannot be opened or read; EConfigFileError naming the file when it is no regular
/// file (a device, a FIFO, a folder: those are never read) or is larger than
/// ConfigFileSizeLimit, when it is not well-formed XML (with the parser message and byte
/// offset), or when its root element is not `config`.
IXMLConfigType LoadConfig(const std::filesystem::path& fileName);

} // namespace quorvex
