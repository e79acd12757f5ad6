// Reading the help text's markup into topics, blocks and inline spans.
#include <gtest/gtest.h>

#include <string>

#include "help_source.h"

namespace {

using help::Block;
using help::Span;

std::string Describe(const std::vector<Span> &spans)
{
    std::string out;
    for (const Span &s : spans) {
        const char *kind[] = {"text", "bold", "code", "link"};
        out += std::string("[") + kind[s.kind] + ":" + s.text;
        if (s.kind == Span::Link)
            out += "->" + s.target;
        out += "]";
    }
    return out;
}

TEST(HelpSource, ReadsTopicsAndEveryKindOfBlock)
{
    const help::Source src = help::ParseSource(
        "# a comment\n"
        "@title My Help\r\n"
        "@copyright (c) Someone\n"
        "\n"
        "@topic contents The Contents\n"
        "First line\n"
        "  second line.\n"
        "\n"
        "* an item\n"
        "  that goes on\n"
        "* next item\n"
        "Enter [user@]host: :: what to type\n"
        "  and more.\n"
        "|  fixed   text\n"
        "|\n"
        "| c:\\dir\n"
        "@topic other.topic_2 Another Topic\n"
        "@heading Sub heading\n"
        "Text.\n");
    EXPECT_EQ(src.title, "My Help");
    EXPECT_EQ(src.copyright, "(c) Someone");
    ASSERT_EQ(src.topics.size(), 2u);
    EXPECT_EQ(src.topics[0].id, "contents");
    EXPECT_EQ(src.topics[0].title, "The Contents");
    EXPECT_EQ(src.topics[1].id, "other.topic_2");

    const std::vector<Block> &b = src.topics[0].blocks;
    ASSERT_EQ(b.size(), 5u);
    EXPECT_EQ(b[0].kind, Block::Paragraph);
    EXPECT_EQ(Describe(b[0].spans), "[text:First line second line.]");
    EXPECT_EQ(b[1].kind, Block::Bullet);
    EXPECT_EQ(Describe(b[1].spans), "[text:an item that goes on]");
    EXPECT_EQ(Describe(b[2].spans), "[text:next item]");
    EXPECT_EQ(b[3].kind, Block::Definition);
    EXPECT_EQ(Describe(b[3].term), "[text:Enter [user@]host:]");
    EXPECT_EQ(Describe(b[3].spans), "[text:what to type and more.]");
    EXPECT_EQ(b[4].kind, Block::Fixed);
    EXPECT_EQ(b[4].lines, (std::vector<std::string>{" fixed   text", "", "c:\\dir"}));

    ASSERT_EQ(src.topics[1].blocks.size(), 2u);
    EXPECT_EQ(src.topics[1].blocks[0].kind, Block::Heading);
    EXPECT_EQ(Describe(src.topics[1].blocks[0].spans), "[text:Sub heading]");
}

TEST(HelpSource, ReadsInlineMarkup)
{
    struct Case {
        const char *text;
        const char *spans;
    } cases[] = {
        {"a **b** c", "[text:a ][bold:b][text: c]"},
        {"run `-f:[user@]host` now", "[text:run ][code:-f:[user@]host][text: now]"},
        {"key `HKEY\\SOFTWARE\\X`", "[text:key ][code:HKEY\\SOFTWARE\\X]"},
        {"see [the topic](t2).", "[text:see ][link:the topic->t2][text:.]"},
        {"[user@]host and [x] (y)", "[text:[user@]host and [x] (y)]"},
        {"\\*\\*not bold\\*\\* a\\\\b \\`", "[text:**not bold** a\\b `]"},
        {"2 * 3", "[text:2 * 3]"},
    };
    for (const Case &c : cases) {
        const help::Source src =
            help::ParseSource(std::string("@title T\n@topic t1 One\n") + c.text +
                              "\n@topic t2 Two\nx\n");
        ASSERT_EQ(src.topics[0].blocks.size(), 1u) << c.text;
        EXPECT_EQ(Describe(src.topics[0].blocks[0].spans), c.spans) << c.text;
    }
}

TEST(HelpSource, RefusesMistakesWithTheirLine)
{
    struct Case {
        const char *text;
        int line;
        const char *message;
    } cases[] = {
        {"@topic a A\n", 1, "@title"},
        {"@title T\n", 1, "no @topic"},
        {"@title T\ntext\n", 2, "before the first @topic"},
        {"@title T\n@topic a A\n@title U\n", 3, "before the first @topic"},
        {"@title T\n@topic a-b A\n", 2, "bad context id"},
        {"@title T\n@topic a\n", 2, "needs a title"},
        {"@title T\n@topic a A\n@topic a B\n", 3, "used twice"},
        {"@title T\n@topic a A\n\nsee [x](nowhere)\n", 4, "unknown topic \"nowhere\""},
        {"@title T\n@topic a A\nsome **bold\n", 3, "unclosed **"},
        {"@title T\n@topic a A\nsome `code\n", 3, "unclosed `"},
        {"@title T\n@topic a A\ncaf\xc3\xa9\n", 3, "ASCII"},
        {"@title T\n@topic a A\n@bogus x\n", 3, "unknown directive"},
        {"@title T\n@topic a A\n| a\tb\n", 3, "tabs"},
        {"@title T\n@topic a A\ntrailing \\\n", 3, "backslash"},
    };
    for (const Case &c : cases) {
        try {
            help::ParseSource(c.text);
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const help::SourceError &e) {
            EXPECT_EQ(e.line, c.line) << c.text;
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos)
                << c.text << " gave: " << e.what();
        }
    }
}

} // namespace
