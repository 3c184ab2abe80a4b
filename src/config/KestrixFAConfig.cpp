#include "KestrixFAConfig.h"

#include <cerrno>
#include <charconv>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace quorvex {
namespace {

std::string_view TrimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

// from_chars never consults the locale; it takes one leading '-' and rejects '+', blanks
// inside, grouping and anything past the digits, and reports values outside the type.
template <typename TInt> bool ParseInt(std::string_view text, TInt& value) {
    text = TrimBlanks(text);
    const char* last = text.data() + text.size();
    const auto [end, error] = std::from_chars(text.data(), last, value);
    return !text.empty() && error == std::errc() && end == last;
}

bool EqualsIgnoringCase(std::string_view text, std::string_view lowerWord) {
    if (text.size() != lowerWord.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        if (lower != lowerWord[i])
            return false;
    }
    return true;
}

// "/config/sizerange/item[2]": the position is given where siblings share the name.
std::string ElementPath(pugi::xml_node node) {
    std::string path;
    for (; node.type() == pugi::node_element; node = node.parent()) {
        std::string step = std::string("/") + node.name();
        const bool alone = !node.previous_sibling(node.name()) && !node.next_sibling(node.name());
        if (!alone) {
            int position = 1;
            for (pugi::xml_node before = node.previous_sibling(node.name()); before;
                 before = before.previous_sibling(node.name()))
                ++position;
            step += "[" + std::to_string(position) + "]";
        }
        path.insert(0, step);
    }
    return path;
}

[[noreturn]] void ThrowReadError(int error, const std::string& fileName) {
    throw std::system_error(error, std::generic_category(),
                            "Cannot read configuration file '" + fileName + "'");
}

[[noreturn]] void RefuseFile(int fd, const std::string& fileName, const std::string& reason) {
    ::close(fd);
    throw EConfigFileError("Cannot read configuration file '" + fileName + "': " + reason);
}

[[noreturn]] void RefuseLargeFile(int fd, const std::string& fileName) {
    RefuseFile(fd, fileName,
               "it is larger than " + std::to_string(ConfigFileSizeLimit >> 20) + " MiB");
}

// Opened without blocking, so that a FIFO is refused instead of waiting for a writer; a
// device such as /dev/zero never ends. Only a regular file within the limit is read.
int OpenRegularFile(const std::string& fileName) {
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        ThrowReadError(errno, fileName);
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        const int error = errno;
        ::close(fd);
        ThrowReadError(error, fileName);
    }
    if (!S_ISREG(info.st_mode))
        RefuseFile(fd, fileName, "it is not a regular file");
    if (std::uint64_t(info.st_size) > ConfigFileSizeLimit)
        RefuseLargeFile(fd, fileName);
    return fd;
}

// Stops at the limit also when the file grows while it is read.
std::string ReadWholeFile(const std::string& fileName) {
    const int fd = OpenRegularFile(fileName);
    std::string content;
    char buffer[16384];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            const int error = errno;
            ::close(fd);
            ThrowReadError(error, fileName);
        }
        if (got == 0)
            break;
        content.append(buffer, static_cast<std::size_t>(got));
        if (content.size() > ConfigFileSizeLimit)
            RefuseLargeFile(fd, fileName);
    }
    ::close(fd);
    return content;
}

int CountElements(const pugi::xml_node& parent) {
    int count = 0;
    for (const pugi::xml_node child : parent.children())
        count += child.type() == pugi::node_element ? 1 : 0;
    return count;
}

} // namespace

// ---- TXMLElement ----------------------------------------------------------------------------

TXMLElement::TXMLElement(std::shared_ptr<TConfigDocument> document, pugi::xml_node node)
    : FDocument(std::move(document)), FNode(node) {}

pugi::xml_node TXMLElement::ChildElement(const char* tag) const {
    pugi::xml_node node = FNode;
    pugi::xml_node child = node.child(tag);
    return child ? child : node.append_child(tag);
}

pugi::xml_attribute TXMLElement::Attribute(const char* name) const {
    pugi::xml_node node = FNode;
    pugi::xml_attribute attribute = node.attribute(name);
    return attribute ? attribute : node.append_attribute(name);
}

std::string TXMLElement::GetText(const char* name) const {
    return Attribute(name).value();
}

void TXMLElement::ThrowConvertError(const char* name, const char* typeName) const {
    std::string message = "'" + std::string(FNode.attribute(name).value()) + "' is not a valid " +
                          typeName + " value in attribute '" + name + "' of " + ElementPath(FNode);
    if (!FDocument->FileName.empty())
        message += " in '" + FDocument->FileName + "'";
    throw EConvertError(message);
}

std::int32_t TXMLElement::GetInt(const char* name) const {
    std::int32_t value = 0;
    if (!ParseInt(Attribute(name).value(), value))
        ThrowConvertError(name, "integer");
    return value;
}

std::int64_t TXMLElement::GetInt64(const char* name) const {
    std::int64_t value = 0;
    if (!ParseInt(Attribute(name).value(), value))
        ThrowConvertError(name, "integer");
    return value;
}

bool TXMLElement::GetBool(const char* name) const {
    const std::string_view word = TrimBlanks(Attribute(name).value());
    if (EqualsIgnoringCase(word, "true"))
        return true;
    if (EqualsIgnoringCase(word, "false"))
        return false;
    ThrowConvertError(name, "boolean");
}

void TXMLElement::SetText(const char* name, std::string_view value) {
    Attribute(name).set_value(value.data(), value.size());
}

// pugixml's own integer formatting goes through the C library; to_chars does not.
void TXMLElement::SetInt(const char* name, std::int64_t value) {
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    SetText(name, std::string_view(digits, static_cast<std::size_t>(result.ptr - digits)));
}

void TXMLElement::SetBool(const char* name, bool value) {
    SetText(name, value ? "True" : "False");
}

// ---- TXMLNodeCollection ---------------------------------------------------------------------

TXMLNodeCollection::TXMLNodeCollection(const TXMLElement& element, const char* itemTag)
    : TXMLElement(element), FItemTag(itemTag) {}

int TXMLNodeCollection::Count() const {
    int count = 0;
    for ([[maybe_unused]] const pugi::xml_node item : DOMNode().children(FItemTag))
        ++count;
    return count;
}

pugi::xml_node TXMLNodeCollection::ItemNode(int index) const {
    int position = 0;
    if (index >= 0) {
        for (const pugi::xml_node item : DOMNode().children(FItemTag)) {
            if (position++ == index)
                return item;
        }
    }
    throw std::out_of_range("No <" + std::string(FItemTag) + "> at position " +
                            std::to_string(index) + " of <" + DOMNode().name() + ">");
}

std::vector<pugi::xml_node> TXMLNodeCollection::ItemNodes() const {
    std::vector<pugi::xml_node> items;
    for (const pugi::xml_node item : DOMNode().children(FItemTag))
        items.push_back(item);
    return items;
}

std::vector<TXMLItemType> TXMLRangeType::Items() const {
    std::vector<TXMLItemType> items;
    for (const pugi::xml_node node : ItemNodes())
        items.push_back(Wrap(node));
    return items;
}

void TXMLNodeCollection::Clear() {
    pugi::xml_node node = DOMNode();
    while (pugi::xml_node first = node.child(FItemTag))
        node.remove_child(first);
}

void TXMLNodeCollection::Delete(int index) {
    pugi::xml_node node = DOMNode();
    node.remove_child(ItemNode(index));
}

pugi::xml_node TXMLNodeCollection::AddItem() {
    pugi::xml_node node = DOMNode();
    return node.append_child(FItemTag);
}

pugi::xml_node TXMLNodeCollection::InsertItem(int index) {
    if (index == Count())
        return AddItem();
    pugi::xml_node node = DOMNode();
    return node.insert_child_before(FItemTag, ItemNode(index));
}

int TXMLNodeCollection::RemoveItem(pugi::xml_node item) {
    int position = 0;
    pugi::xml_node node = DOMNode();
    for (const pugi::xml_node candidate : node.children(FItemTag)) {
        if (candidate == item) {
            node.remove_child(candidate);
            return position;
        }
        ++position;
    }
    return -1;
}

// ---- LoadConfig -----------------------------------------------------------------------------

IXMLConfigType LoadConfig(const std::filesystem::path& fileName) {
    const std::string content = ReadWholeFile(fileName.string());
    auto document = std::make_shared<TConfigDocument>();
    document->FileName = fileName.string();
    const pugi::xml_parse_result parsed = document->DOM.load_buffer(content.data(), content.size());
    if (!parsed) {
        throw EConfigFileError("'" + fileName.string() +
                               "' is not a valid XML document: " + parsed.description() +
                               " at offset " + std::to_string(parsed.offset));
    }
    const pugi::xml_node root = document->DOM.document_element();
    // pugixml tolerates a second top-level element; a hand-edited file with one is broken.
    if (std::string_view(root.name()) != "config" || CountElements(document->DOM) != 1) {
        throw EConfigFileError("'" + fileName.string() +
                               "' is not a configuration file: its root element must be the "
                               "one <config> element");
    }
    return std::make_shared<TXMLConfigType>(std::move(document), root);
}

} // namespace quorvex
