#include "FixtureTree.h"
#include "KestrixFAConfig.h"
#include "uConfigDefault.h"

#include <cerrno>
#include <clocale>
#include <cstdint>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <system_error>
#include <vector>

using namespace quorvex;

namespace {

bool Contains(const char* text, std::string_view part) {
    return std::string_view(text).find(part) != std::string_view::npos;
}

class ConfigBinding : public testing::Test {
protected:
    IXMLConfigType Load(std::string_view xml) {
        const auto file = FDir.Path() / "config.xml";
        std::ofstream(file, std::ios::binary | std::ios::trunc) << xml;
        return LoadConfig(file);
    }
    IXMLConfigType LoadWithSize(std::string_view value) {
        return Load(R"(<config><sizerange><item value=")" + std::string(value) +
                    R"("/></sizerange></config>)");
    }

    test::TempDir FDir;
};

TEST_F(ConfigBinding, DefaultDocumentReadsAsDocumented) {
    const IXMLConfigType config = Load(DefaultConfigText);
    EXPECT_EQ(config->VersionNo(), 3);

    TXMLFilesType files = config->Files();
    ASSERT_EQ(files.Count(), 12);
    EXPECT_EQ(files.Node(0).Name(), "    FileName");
    const std::vector<int> widths = {172, 173, 84, 100, 100, 100, 100, 124, 100, 100, 80, 84};
    for (int i = 0; i < files.Count(); ++i) {
        EXPECT_EQ(files.Node(i).Index(), i);
        EXPECT_EQ(files.Node(i).Width(), widths[std::size_t(i)]);
        EXPECT_EQ(files.Node(i).Visible(), i < 7);
    }
    EXPECT_EQ(files.Node(2).Align(), "right");
    EXPECT_EQ(files.Node(10).Name(), "FileCount");
    EXPECT_EQ(files.Node(11).Name(), "Size on Disk");
    EXPECT_EQ(files.Node(11).Align(), "right");

    EXPECT_EQ(config->Agerange().Count(), 5);
    EXPECT_EQ(config->Sizerange().Count(), 6);
    EXPECT_EQ(config->Sizerange().Item(5).Value(), 1000000000);
    ASSERT_EQ(config->Lengthrange().Count(), 5);
    EXPECT_EQ(config->Lengthrange().Item(4).Caption(), "10~");
    EXPECT_EQ(config->Lengthrange().Item(4).Value(), 365);
    EXPECT_EQ(config->Default().Largefilenum(), 100);
    EXPECT_EQ(config->Default().Olderfilenum(), 100);
    EXPECT_EQ(config->Default().Abovelast(), "above last");
}

TEST_F(ConfigBinding, AbsentElementsAndAttributesAreCreatedEmpty) {
    const IXMLConfigType config = Load(R"(<config versionNo="3"/>)");
    const pugi::xml_node root = config->DOMNode();

    EXPECT_EQ(config->Agerange().Count(), 0);
    EXPECT_EQ(config->Agerange().DOMNode(), root.child("agerange"));
    config->Agerange(); // found again, not appended twice
    EXPECT_EQ(std::distance(root.children("agerange").begin(), root.children("agerange").end()), 1);

    // No `default` element: the text reads empty, the number fails, both leave attributes.
    EXPECT_EQ(config->Default().Abovelast(), "");
    try {
        config->Default().Largefilenum();
        FAIL() << "an absent integer must not read";
    } catch (const EConvertError& error) {
        EXPECT_TRUE(Contains(error.what(), "'' is not a valid integer value")) << error.what();
    }
    const pugi::xml_node defaults = root.child("default");
    ASSERT_TRUE(defaults.attribute("largefilenum"));
    EXPECT_STREQ(defaults.attribute("largefilenum").value(), "");
    EXPECT_TRUE(defaults.attribute("abovelast"));
}

TEST_F(ConfigBinding, OnlyItemChildrenCountAndKeepTheirOrder) {
    const IXMLConfigType config = Load(R"(<config><sizerange><item value="1"/><note/>
        <item value="2"/>text<group><item value="9"/></group><!-- c --><item value="3"/>
        </sizerange></config>)");
    TXMLSizerangeType sizes = config->Sizerange();
    ASSERT_EQ(sizes.Count(), 3);
    EXPECT_EQ(sizes.Item(0).Value(), 1);
    EXPECT_EQ(sizes.Item(1).Value(), 2);
    EXPECT_EQ(sizes.Item(2).Value(), 3);
    EXPECT_THROW(sizes.Item(3), std::out_of_range);
    EXPECT_THROW(sizes.Item(-1), std::out_of_range);
}

// Range bounds are 64-bit (sizes beyond 2 GB are everyday); the other numbers stay 32-bit.
TEST_F(ConfigBinding, IntegerSpellings) {
    const std::vector<std::pair<std::string, std::int64_t>> accepted = {
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {" 42\t", 42},
        {"007", 7},
        {"10000000000", 10000000000},
        {"9223372036854775807", INT64_MAX},
        {"-9223372036854775808", INT64_MIN}};
    for (const auto& [text, value] : accepted)
        EXPECT_EQ(LoadWithSize(text)->Sizerange().Item(0).Value(), value) << text;

    for (const char* text : {"9223372036854775808", "-9223372036854775809", "", " ", "abc", "+5",
                             "1,000", "1.5", "12abc", "0x10", "1 2"}) {
        EXPECT_THROW(LoadWithSize(text)->Sizerange().Item(0).Value(), EConvertError) << text;
    }
    const IXMLConfigType config =
        Load(R"(<config versionNo="2147483648"><default largefilenum="-2147483649"/></config>)");
    EXPECT_THROW(config->VersionNo(), EConvertError);
    EXPECT_THROW(config->Default().Largefilenum(), EConvertError);
}

// A hand-edited file can hold a bad number anywhere: the message says where to look.
TEST_F(ConfigBinding, NumberErrorsNameTheFileElementAndAttribute) {
    const std::string file = (FDir.Path() / "config.xml").string();
    const auto messageOf = [](const auto& read) {
        try {
            read();
        } catch (const EConvertError& error) {
            return std::string(error.what());
        }
        return std::string("(no error)");
    };
    const IXMLConfigType config = Load(R"(<config versionNo="3"><sizerange>
        <item caption="a" value="1"/><item caption="b" value="ten"/></sizerange>
        <files><node Visible="maybe"/></files><default largefilenum=""/></config>)");
    EXPECT_EQ(messageOf([&] { config->Sizerange().Item(1).Value(); }),
              "'ten' is not a valid integer value in attribute 'value' of "
              "/config/sizerange/item[2] in '" +
                  file + "'");
    EXPECT_EQ(messageOf([&] { config->Files().Node(0).Visible(); }),
              "'maybe' is not a valid boolean value in attribute 'Visible' of "
              "/config/files/node in '" +
                  file + "'");
    EXPECT_EQ(messageOf([&] { config->Default().Olderfilenum(); }),
              "'' is not a valid integer value in attribute 'olderfilenum' of "
              "/config/default in '" +
                  file + "'");
}

TEST_F(ConfigBinding, BooleanSpellingsAndTextKeptVerbatim) {
    const IXMLConfigType config = Load(R"(<config><files>
        <node Visible="True" Align="Right"/><node Visible=" false "/><node Visible="yes"/>
        <node Visible="1"/></files></config>)");
    TXMLFilesType files = config->Files();
    EXPECT_TRUE(files.Node(0).Visible());
    EXPECT_FALSE(files.Node(1).Visible());
    EXPECT_THROW(files.Node(3).Visible(), EConvertError);
    try {
        files.Node(2).Visible();
        FAIL() << "'yes' must not read as a boolean";
    } catch (const EConvertError& error) {
        EXPECT_TRUE(Contains(error.what(), "'yes' is not a valid boolean value")) << error.what();
    }
    // Alignment is plain text: "Right" is not "right" and so means left-aligned.
    EXPECT_EQ(files.Node(0).Align(), "Right");
    files.Node(3).SetVisible(false);
    EXPECT_STREQ(files.Node(3).DOMNode().attribute("Visible").value(), "False");
}

TEST_F(ConfigBinding, ClearThenAddAppendsNewLastItems) {
    const IXMLConfigType config = Load(DefaultConfigText);
    TXMLSizerangeType sizes = config->Sizerange();
    sizes.DOMNode().append_child("note");
    sizes.Clear();
    EXPECT_EQ(sizes.Count(), 0);
    EXPECT_TRUE(sizes.DOMNode().child("note")); // other children stay

    TXMLItemType first = sizes.Add();
    first.SetCaption("small");
    first.SetValue(-5);
    TXMLItemType second = sizes.Add();
    second.SetValue(2147483647);
    EXPECT_EQ(sizes.Count(), 2);
    EXPECT_EQ(sizes.DOMNode().last_child(), second.DOMNode());
    EXPECT_EQ(second.DOMNode().previous_sibling(), first.DOMNode());
    EXPECT_STREQ(first.DOMNode().attribute("value").value(), "-5");
    EXPECT_EQ(config->Sizerange().Item(1).Value(), 2147483647);
    EXPECT_EQ(second.Caption(), "");
}

TEST_F(ConfigBinding, InsertDeleteRemoveByPosition) {
    const IXMLConfigType config = Load(DefaultConfigText);
    TXMLAgerangeType ages = config->Agerange();
    ages.Insert(1).SetValue(2);
    ages.Insert(ages.Count()).SetValue(999);
    EXPECT_THROW(ages.Insert(ages.Count() + 1), std::out_of_range);
    std::vector<std::int64_t> values;
    for (int i = 0; i < ages.Count(); ++i)
        values.push_back(ages.Item(i).Value());
    EXPECT_EQ(values, (std::vector<std::int64_t>{1, 2, 3, 7, 30, 365, 999}));

    ages.Delete(0);
    EXPECT_EQ(ages.Item(0).Value(), 2);
    EXPECT_THROW(ages.Delete(6), std::out_of_range);
    EXPECT_EQ(ages.Remove(ages.Item(2)), 2);
    EXPECT_EQ(ages.Remove(config->Sizerange().Item(0)), -1); // not an item of this list
    EXPECT_EQ(ages.Count(), 5);
}

TEST_F(ConfigBinding, HandlesKeepTheDocumentAlive) {
    IXMLConfigType config = Load(DefaultConfigText);
    const TXMLItemType item = config->Lengthrange().Item(1);
    config.reset();
    EXPECT_EQ(item.Caption(), "2~6"); // the sanitizer run catches a freed document
}

TEST_F(ConfigBinding, LoadFailuresNameTheFileAndTheCause) {
    const std::string name = (FDir.Path() / "config.xml").string();
    try {
        Load(R"(<config versionNo="3"><files></config>)");
        FAIL() << "mismatched tags must not load";
    } catch (const EConfigFileError& error) {
        EXPECT_TRUE(Contains(error.what(), name)) << error.what();
        EXPECT_TRUE(Contains(error.what(), "at offset ")) << error.what();
    }
    EXPECT_THROW(Load(R"(<settings versionNo="3"/>)"), EConfigFileError);
    EXPECT_THROW(Load(R"(<config/><config/>)"), EConfigFileError);
    EXPECT_THROW(Load(""), EConfigFileError);
    try {
        LoadConfig(FDir.Path() / "missing.xml");
        FAIL() << "a missing file must not load";
    } catch (const std::system_error& error) {
        EXPECT_EQ(error.code().value(), ENOENT);
        EXPECT_TRUE(Contains(error.what(), "missing.xml")) << error.what();
    }
}

// The running program has the user's locale set; numbers in the file must not follow it.
TEST_F(ConfigBinding, NumbersIgnoreAGermanLocale) {
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
        GTEST_SKIP() << "locale de_DE.UTF-8 is not installed";
    const IXMLConfigType config = Load(DefaultConfigText);
    TXMLItemType item = config->Sizerange().Item(4);
    const std::int64_t readBefore = item.Value();
    item.SetValue(-1234567890);
    const std::string written = item.DOMNode().attribute("value").value();
    const std::int64_t readBack = item.Value();
    std::setlocale(LC_ALL, previous.c_str());

    EXPECT_EQ(readBefore, 100000000);
    EXPECT_EQ(written, "-1234567890");
    EXPECT_EQ(readBack, -1234567890);
}

} // namespace
