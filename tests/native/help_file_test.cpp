// The help file the generator writes, read back by a reader of the tests'
// own: the internal file system, the topics' titles and text, the links
// between topics, and the program's own help text as it ships; and the
// HTML Help file the build compiles, read back with libchm's extractor.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "chm_writer.h"
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

// The HTML Help file as the build makes it.

std::string Unescape(std::string s)
{
    const std::pair<const char *, char> entities[] = {
        {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&amp;", '&'}};
    for (const auto &e : entities)
        for (size_t at = s.find(e.first); at != std::string::npos; at = s.find(e.first, at + 1))
            s.replace(at, std::strlen(e.first), 1, e.second);
    return s;
}

// The values of every `attr="..."` in the text, in order, unescaped.
std::vector<std::string> Values(const std::string &text, const std::string &attr)
{
    std::vector<std::string> out;
    const std::string mark = attr + "=\"";
    for (size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at)) {
        at += mark.size();
        const size_t end = text.find('"', at);
        out.push_back(Unescape(text.substr(at, end - at)));
    }
    return out;
}

struct SitemapEntry {
    std::string name, local;
    int depth; // 1 for the outer list
};

// A contents or index file's entries, each at the depth of its list.
std::vector<SitemapEntry> ReadSitemap(const std::string &text)
{
    std::vector<SitemapEntry> out;
    int depth = 0;
    for (size_t at = 0; at < text.size();) {
        const size_t tag = text.find('<', at);
        if (tag == std::string::npos)
            break;
        const size_t end = text.find('>', tag);
        const std::string t = text.substr(tag, end - tag + 1);
        if (t == "<ul>")
            ++depth;
        else if (t == "</ul>")
            --depth;
        else if (t.rfind("<param name=\"Name\"", 0) == 0)
            out.push_back({Values(t, "value").at(0), "", depth});
        else if (t.rfind("<param name=\"Local\"", 0) == 0 && !out.empty())
            out.back().local = Values(t, "value").at(0);
        at = end + 1;
    }
    return out;
}

std::string Plain(const std::vector<help::Span> &spans)
{
    std::string out;
    for (const help::Span &s : spans)
        out += s.text;
    return out;
}

// Read back from the compiled file: a page for every topic of the help text,
// titled as the topic, whose links lead to pages that are there; every
// topic in the contents in order; every title and heading in the index,
// leading to its topic's page; the title, home page and full-text search.
TEST(ProgramHelp, HtmlHelpFileHoldsEveryTopicKeywordAndLink)
{
    const help::Source source = help::ParseSource(ReadText(PELLWICK_HELP_SOURCE));
    const std::string dir = ::testing::TempDir() + "pllwck32_chm/";
    ASSERT_EQ(std::system(("rm -rf '" + dir + "' && " PELLWICK_EXTRACT_CHM " '" PELLWICK_CHM "' '" +
                           dir + "' >/dev/null")
                              .c_str()),
              0);
    auto file = [&](const std::string &name) { return ReadText(dir + name); };

    size_t links = 0;
    for (const help::Topic &t : source.topics) {
        const std::string page = file(t.id + ".htm");
        ASSERT_FALSE(page.empty()) << t.id;
        EXPECT_NE(Unescape(page).find("<title>" + t.title + "</title>"), std::string::npos) << t.id;
        size_t spans = 0;
        for (const help::Block &b : t.blocks)
            for (const auto *list : {&b.term, &b.spans})
                for (const help::Span &s : *list)
                    spans += s.kind == help::Span::Link;
        std::vector<std::string> hrefs = Values(page, "<a href");
        EXPECT_EQ(hrefs.size(), spans) << t.id;
        for (const std::string &href : hrefs)
            EXPECT_FALSE(file(href.substr(0, href.find('#'))).empty()) << t.id << " -> " << href;
        links += hrefs.size();
    }
    EXPECT_GT(links, source.topics.size());

    const std::vector<SitemapEntry> contents = ReadSitemap(file("pllwck32.hhc"));
    ASSERT_EQ(contents.size(), source.topics.size());
    for (size_t i = 0; i < contents.size(); ++i) {
        EXPECT_EQ(contents[i].name, source.topics[i].title);
        EXPECT_EQ(contents[i].local, source.topics[i].id + ".htm");
        EXPECT_EQ(contents[i].depth, 1);
    }

    // Each heading stands below its topic's title and leads to its own
    // place in the page.
    const std::vector<SitemapEntry> index = ReadSitemap(file("pllwck32.hhk"));
    size_t keywords = 0;
    for (const help::Topic &t : source.topics) {
        const auto title = std::find_if(index.begin(), index.end(), [&](const SitemapEntry &e) {
            return e.depth == 1 && e.name == t.title && e.local == t.id + ".htm";
        });
        ASSERT_NE(title, index.end()) << t.title;
        ++keywords;
        auto below = title + 1;
        const std::string page = file(t.id + ".htm");
        for (const help::Block &b : t.blocks) {
            if (b.kind != help::Block::Heading)
                continue;
            ASSERT_TRUE(below != index.end() && below->depth == 2) << t.title;
            EXPECT_EQ(below->name, Plain(b.spans));
            const size_t hash = below->local.find('#');
            ASSERT_NE(hash, std::string::npos) << below->local;
            EXPECT_EQ(below->local.substr(0, hash), t.id + ".htm");
            EXPECT_NE(page.find("<a name=\"" + below->local.substr(hash + 1) + "\">"),
                      std::string::npos)
                << below->local;
            ++below;
            ++keywords;
        }
    }
    EXPECT_EQ(keywords, index.size());
    std::printf("checked %zu topics, %zu index keywords and %zu links\n", source.topics.size(),
                keywords, links);

    const std::string system = file("#SYSTEM");
    EXPECT_NE(system.find(source.title), std::string::npos);
    EXPECT_NE(system.find(source.topics[0].id + ".htm"), std::string::npos);
    EXPECT_FALSE(file("$FIftiMain").empty()) << "no full-text search";
}

// The pages escape what HTML would read as markup, and items or definitions
// that follow one another make one list.
TEST(ChmProject, EscapesTextAndGroupsLists)
{
    const std::vector<help::ProjectFile> files = help::WriteChmProject(
        help::ParseSource("@title Q & A\n@topic a A <&> B\n"
                          "x < y & `<br>`\n\n* one\n* two\n\nT :: d\nU :: e\n| <pre>\n"),
        "q");
    ASSERT_EQ(files.front().name, "a.htm");
    ASSERT_EQ(files.back().name, "q.hhp");
    const std::string &page = files.front().data;
    for (const char *fragment :
         {"<title>A &lt;&amp;&gt; B</title>", "<p>x &lt; y &amp; <code>&lt;br&gt;</code></p>",
          "<ul>\n<li>one</li>\n<li>two</li>\n</ul>", "<dd>d</dd>\n<dt>U</dt>",
          "<pre>&lt;pre&gt;\n</pre>"})
        EXPECT_NE(page.find(fragment), std::string::npos) << fragment << "\n" << page;
    for (const char *line : {"Title=Q & A\n", "main=\"Q & A\",\"q.hhc\",\"q.hhk\",\"a.htm\"",
                             "Full-text search=Yes\n", "[FILES]\na.htm\nq.css\n"})
        EXPECT_NE(files.back().data.find(line), std::string::npos) << line;
}

} // namespace
