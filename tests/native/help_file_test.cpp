// The help file the generator writes, read back by a reader of the tests'
// own: the internal file system, the topics' titles and text, the links
// between topics, and the program's own help text as it ships.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "help_source.h"
#include "help_writer.h"
#include "native/hlp_reader.h"

namespace {

HlpFile Build(const std::string &text)
{
    return ReadHlp(help::WriteHelpFile(help::ParseSource(text)));
}

const HlpTopic *TopicTitled(const HlpFile &hlp, const std::string &title)
{
    for (const HlpTopic &t : hlp.topics)
        if (t.title == title)
            return &t;
    return nullptr;
}

std::string ReadText(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(HelpFile, HoldsTheTopicsTheirTextAndTheLinksBetweenThem)
{
    const HlpFile hlp = Build("@title Sample Help\n"
                              "@copyright (c) Us\n"
                              "@topic contents Contents\n"
                              "Read [the second](second) or **this**.\n"
                              "* item\n"
                              "Term :: its `meaning`\n"
                              "| line 1\n"
                              "| line 2\n"
                              "@topic second Second Topic\n"
                              "@heading Part\n"
                              "Back to the [contents](contents).\n");
    EXPECT_EQ(hlp.title, "Sample Help");
    EXPECT_EQ(hlp.copyright, "(c) Us");
    EXPECT_EQ(hlp.minor, 21u);
    for (const char *name : {"|SYSTEM", "|TOPIC", "|FONT", "|CONTEXT", "|TTLBTREE"})
        EXPECT_EQ(hlp.directory.count(name), 1u) << name;
    EXPECT_EQ(hlp.fontFaces.front(), "Arial");
    EXPECT_NE(std::find(hlp.fontFaces.begin(), hlp.fontFaces.end(), "Courier New"),
              hlp.fontFaces.end());
    EXPECT_NE(std::find(hlp.macros.begin(), hlp.macros.end(), "BrowseButtons()"), hlp.macros.end());
    EXPECT_EQ(hlp.windows, (std::map<std::string, std::string>{{"main", "Sample Help"}}));

    ASSERT_EQ(hlp.topics.size(), 2u);
    const HlpTopic &first = hlp.topics[0];
    const HlpTopic &second = hlp.topics[1];
    EXPECT_EQ(first.title, "Contents");
    EXPECT_EQ(hlp.contents, first.offset);
    EXPECT_EQ(first.text, "Contents\nRead the second or this.\n\x95\titem\nTerm\tits meaning\n"
                          "line 1\nline 2\n");
    EXPECT_EQ(second.text, "Second Topic\nPart\nBack to the contents.\n");

    // Each link jumps, by its context id's hash, to its own topic.
    ASSERT_EQ(first.jumps.size(), 1u);
    EXPECT_EQ(first.jumpTexts[0], "the second");
    EXPECT_EQ(hlp.context.at(first.jumps[0]), second.offset);
    ASSERT_EQ(second.jumps.size(), 1u);
    EXPECT_EQ(hlp.context.at(second.jumps[0]), first.offset);
    EXPECT_EQ(hlp.context.at(HlpContextHash("second")), second.offset);

    // One browse sequence in source order.
    EXPECT_EQ(first.browseBack, 0xFFFFFFFFu);
    EXPECT_EQ(first.browseForward, second.offset);
    EXPECT_EQ(second.browseBack, first.offset);
    EXPECT_EQ(second.browseForward, 0xFFFFFFFFu);
}

TEST(HelpFile, KeepsTextAcrossTopicBlocksAndManyTopicsInItsIndexes)
{
    // Long paragraphs run over several 4 KB topic blocks, and 400 topics
    // need more than one page in every B+ tree but the directory.
    std::string text = "@title Big\n";
    std::string expected;
    for (int t = 0; t < 400; ++t) {
        const std::string id = "topic_" + std::to_string(t);
        std::string para = "Topic " + std::to_string(t) + ":";
        for (int w = 0; w < (t % 50 == 0 ? 900 : 5); ++w)
            para += " word" + std::to_string(w);
        text += "@topic " + id + " Title " + std::to_string(t) + "\n" + para + "\n";
        if (t > 0)
            text += "See [the previous](topic_" + std::to_string(t - 1) + ").\n";
    }
    const HlpFile hlp = Build(text);
    EXPECT_GT(hlp.topicBlocks, 10u);
    EXPECT_EQ(hlp.treeLevels, 2u);
    ASSERT_EQ(hlp.topics.size(), 400u);
    for (int t = 0; t < 400; t += 7) {
        const HlpTopic &topic = hlp.topics[static_cast<size_t>(t)];
        EXPECT_EQ(topic.title, "Title " + std::to_string(t));
        EXPECT_EQ(topic.text.compare(0, topic.title.size() + 1, topic.title + "\n"), 0);
        EXPECT_NE(topic.text.find("Topic " + std::to_string(t) + ": word0 word1"),
                  std::string::npos);
        EXPECT_EQ(hlp.context.at(HlpContextHash("topic_" + std::to_string(t))), topic.offset);
        if (t > 0) {
            ASSERT_EQ(topic.jumps.size(), 1u);
            EXPECT_EQ(hlp.context.at(topic.jumps[0]), hlp.topics[static_cast<size_t>(t) - 1].offset);
        }
    }
    EXPECT_NE(hlp.topics[50].text.find("word899"), std::string::npos);
}

TEST(HelpFile, RefusesContextIdsThatShareAHashAndAnEmptySource)
{
    // WinHelp folds letter case in the hash.
    const help::Source src = help::ParseSource("@title T\n@topic Finger A\nx\n@topic finger B\ny\n");
    EXPECT_THROW(help::WriteHelpFile(src), std::runtime_error);
    EXPECT_THROW(help::WriteHelpFile(help::Source()), std::runtime_error);
    EXPECT_EQ(help::ContextHash("Finger"), help::ContextHash("finger"));
    for (const char *id : {"contents", "command_line", "a.b_9", "Z0"})
        EXPECT_EQ(help::ContextHash(id), HlpContextHash(id)) << id;
}

TEST(HelpFile, ContentsFileListsEveryTopic)
{
    const help::Source src = help::ParseSource("@title Sample\n@topic a One\nx\n@topic b Two\ny\n");
    EXPECT_EQ(help::WriteContentsFile(src, "x.hlp"),
              ":Base x.hlp\r\n:Title Sample\r\n1 One=a\r\n1 Two=b\r\n");
}

// The help that ships with the program covers every part of it.
TEST(ProgramHelp, DescribesEveryPartOfTheProgram)
{
    const std::string source = ReadText(PELLWICK_HELP_SOURCE);
    ASSERT_FALSE(source.empty()) << PELLWICK_HELP_SOURCE;
    const HlpFile hlp = Build(source);
    EXPECT_EQ(hlp.title, "Pellwick Help");

    const char *const titles[] = {
        "Pellwick Help", "Getting started", "Finger queries", "WhoIs queries", "The address book",
        "Host lookup", "Logged-in notification", "Working with the output", "Command line",
        "Setup, configuration file and registry key", "Keyboard", "Using Help"};
    ASSERT_EQ(hlp.topics.size(), std::size(titles));
    for (size_t i = 0; i < hlp.topics.size(); ++i) {
        EXPECT_EQ(hlp.topics[i].title, titles[i]);
        EXPECT_GT(hlp.topics[i].text.size(), 300u) << titles[i];
    }
    // The contents topic leads to every other topic.
    const HlpTopic &contents = hlp.topics[0];
    EXPECT_EQ(hlp.contents, contents.offset);
    for (size_t i = 1; i < hlp.topics.size(); ++i) {
        bool linked = false;
        for (uint32_t jump : contents.jumps)
            linked = linked || hlp.context.at(jump) == hlp.topics[i].offset;
        EXPECT_TRUE(linked) << titles[i];
    }

    struct Mention {
        const char *topic;
        const char *text;
    } mentions[] = {
        {"Finger queries", "Enter [user@]host:"},
        {"Finger queries", "Long Output"},
        {"Finger queries", "Notify If Logged In"},
        {"Finger queries", "No host specified"},
        {"WhoIs queries", "Query String:"},
        {"WhoIs queries", "Save"},
        {"WhoIs queries", "Delete"},
        {"The address book", "Add"},
        {"The address book", "F12"},
        {"Host lookup", "Alias: "},
        {"Logged-in notification", "Pellwick - Next notify"},
        {"Logged-in notification", "is logged on at"},
        {"Command line", "-f:[user@]host"},
        {"Command line", "-w:query@server"},
        {"Command line", "-l\t"},
        {"Command line", "-n:minutes"},
        {"Command line", "-s:file"},
        {"Command line", "-e\t"},
        {"Command line", "Pellwick Command Line Error"},
        {"Command line", "Syntax error in command line option."},
        {"Command line", "Error: Exit (-e) cannot be used with Notify (-n) or Recurring (-r)"},
        {"Command line", "Error: Notify (-n) cannot be used with Long Output (-l)"},
        {"Command line", "exit code 1"},
        {"Command line", "exit code 2"},
        {"Command line", "exit code 3"},
        {"Setup, configuration file and registry key", "Maintain Query History"},
        {"Setup, configuration file and registry key", "Default Host"},
        {"Setup, configuration file and registry key", "[pellwick]"},
        {"Setup, configuration file and registry key", "[font]"},
        {"Setup, configuration file and registry key", "[__History__]"},
        {"Setup, configuration file and registry key", "[__WhoIs__]"},
        {"Setup, configuration file and registry key", "[__AddBk__]"},
        {"Setup, configuration file and registry key",
         "HKEY_LOCAL_MACHINE\\SOFTWARE\\Harrowmere Systems\\Pellwick32"},
        {"Setup, configuration file and registry key", "Cfgfile"},
        {"Keyboard", "F1\t"},
        {"Keyboard", "F12\t"},
        {"Keyboard", "Ctrl+C\t"},
    };
    for (const Mention &m : mentions) {
        const HlpTopic *t = TopicTitled(hlp, m.topic);
        ASSERT_NE(t, nullptr) << m.topic;
        EXPECT_NE(t->text.find(m.text), std::string::npos) << m.topic << " lacks " << m.text;
    }
}

// mkhelp as the build runs it: both files on success; on a mistake, the
// file and line, exit status 1 and nothing left behind.
TEST(Mkhelp, WritesBothFilesOrNothing)
{
    const std::string dir = ::testing::TempDir();
    const std::string good = dir + "mkhelp_good.txt", bad = dir + "mkhelp_bad.txt";
    const std::string hlp = dir + "mkhelp_out.hlp", cnt = dir + "mkhelp_out.cnt";
    const std::string err = dir + "mkhelp_err.txt";
    std::ofstream(good) << "@title T\n@topic a A\ntext\n";
    std::ofstream(bad) << "@title T\n@topic a A\n\nsee [x](b)\n";
    std::remove(hlp.c_str());
    std::remove(cnt.c_str());

    const std::string tool = PELLWICK_MKHELP;
    ASSERT_EQ(std::system((tool + " " + good + " " + hlp + " " + cnt).c_str()), 0);
    EXPECT_EQ(ReadHlp([&] {
                  const std::string bytes = ReadText(hlp);
                  return std::vector<uint8_t>(bytes.begin(), bytes.end());
              }())
                  .topics.size(),
              1u);
    EXPECT_EQ(ReadText(cnt).rfind(":Base mkhelp_out.hlp\r\n", 0), 0u);

    std::remove(hlp.c_str());
    const int status = std::system((tool + " " + bad + " " + hlp + " 2>" + err).c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
    EXPECT_NE(ReadText(err).find(bad + ":4: link to unknown topic \"b\""), std::string::npos)
        << ReadText(err);
    EXPECT_FALSE(std::ifstream(hlp).good());
    EXPECT_FALSE(std::ifstream(hlp + ".tmp").good());
}

} // namespace
