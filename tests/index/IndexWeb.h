#pragma once

// A Web for the index tests: a scratch capture directory, a MIME table,
// records entered straight into the tree with their stored files, and
// templates of our own that show what the generator wrote.

#include "capture/Web.h"
#include "config/Param.h"
#include "config/Scratch.h"
#include "config/SommaireParam.h"
#include "config/WorkPath.h"
#include "core/Files.h"
#include "core/MemoryStream.h"
#include "core/Url.h"
#include "html/LinkParam.h"
#include "index/SommaireIndex.h"

#include <map>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace velbrin::testing {

// The templates as they stand in the program's data directory.
inline std::string DataIndexDir()
{
    return std::string(VELBRIN_FIXTURES) + "/../../data/index/";
}

class IndexWeb {
public:
    IndexWeb()
    {
        SetWorkPath("");
        param = std::make_unique<TParam>(
            [this](const std::string&) { return std::optional<std::string>(env.dir / "work"); },
            [](const std::string&) { return std::optional<std::string>(); });
        web = std::make_unique<TWEB>(*param, env.dir / "program/");
        web->Url = "http://www.example.org/";
        web->Path = env.dir / "web/";
        ForceDirectories(web->Path);
        web->MimeList.SetToDefault();
        web->MimeList.AddMime("image/png", "png", "Image", true);
        web->MimeList.AddMime("application/pdf", "pdf", "Other", true);
        ForceDirectories(templates);
    }
    ~IndexWeb()
    {
        web.reset();
        param.reset();
        SetWorkPath("");
    }

    // Enters a record under the address; a stored state with a file name
    // also gets its file (holding content) unless withFile is false.
    TWebFile& Add(const std::string& url, std::uint8_t state, const std::string& mimeType,
                  const std::string& fileName, const std::string& description = {},
                  std::uint8_t linkType = LinkTypePage, bool withFile = true, const std::string& content = "x")
    {
        auto file = std::make_unique<TWebFile>();
        file->State = state;
        file->SetMimeType(mimeType);
        file->SetFileName(fileName);
        file->SetDescription(description);
        file->SetLinkType(linkType);
        TWebFile& record = *file;
        std::unique_ptr<TWebFile> replaced;
        EXPECT_TRUE(web->Tree.AddFile(url, file, replaced)) << url;
        if (withFile && !fileName.empty() && (state == StateCapturedPage || state == StateCapturedFile))
            WriteText(web->Path + fileName, content);
        return record;
    }
    TWebFile& Page(const std::string& url, const std::string& fileName, const std::string& title = {})
    {
        return Add(url, StateCapturedPage, "text/html", fileName, title);
    }
    TWebFile& Picture(const std::string& url, const std::string& fileName)
    {
        return Add(url, StateCapturedFile, "image/gif", fileName, {}, LinkTypeInline);
    }

    // A template for every list that shows the rows and the navigation.
    void WriteTemplates(const std::string& body = "VLBN_HTML_TABLE")
    {
        for (const char* name : {"_Home.vlb", "_IxH.vlb", "_IxI.vlb", "_IxO.vlb", "_IxE.vlb"})
            WriteText(templates + name, body + "\r\n");
    }
    void WriteTemplate(const std::string& name, const std::string& text) { WriteText(templates + name, text); }

    std::string Read(const std::string& name) const { return ReadText(web->Path + name); }
    bool Has(const std::string& name) const { return FileExists(web->Path + name); }

    // Offers every file of the Web as the resolution pass does with one site
    // per host: counts first, then the files, then the end of the site.
    void RunAllSites(TSommaireIndex& index)
    {
        const TWebNode& root = web->Tree.Root();
        for (std::size_t p = 0; p < root.EntryCount(); ++p) {
            const TWebNode* protocol = root.NodeAt(p);
            if (!protocol)
                continue;
            for (std::size_t s = 0; s < protocol->EntryCount(); ++s) {
                const TWebNode* site = protocol->NodeAt(s);
                if (!site)
                    continue;
                TMemoryStreamEx sizes;
                TSiteCounts counts;
                TWebFile* firstPage = nullptr;
                TWebFile* firstFile = nullptr;
                web->Tree.ForEachFile(
                    [&](TWebFile& file) {
                        index.CountFile(file, counts, &sizes);
                        if (file.State == StateCapturedPage || file.State == StateCapturedFile) {
                            if (!firstFile)
                                firstFile = &file;
                            if (!firstPage && index.Classify(file) == IndexList::Html)
                                firstPage = &file;
                        }
                        return false;
                    },
                    site);
                sizes.SetPosition(0);
                // The site's first page, else its first stored file, as the resolution pass does.
                TWebFile* first = firstPage ? firstPage : firstFile;
                std::string url = first ? web->Tree.GetFileUrl(*first) : web->Tree.GetNodeUrl(*site) + "/";
                index.AddSite(GetHost(url), url, first ? first->GetFileName() : "", counts, &sizes);
                web->Tree.ForEachFile(
                    [&](TWebFile& file) {
                        index.OfferFile(file);
                        return false;
                    },
                    site);
                index.FlushLists();
            }
        }
    }

    IsolatedHome env;
    std::unique_ptr<TParam> param;
    std::unique_ptr<TWEB> web;
    const std::string templates = env.dir / "templates/";
    TSommaireParam params;
};

// Every href and src value of a page, in order.
inline std::vector<std::string> LinksOf(const std::string& page)
{
    static const std::regex link(R"re((?:HREF|SRC|href|src)="([^"]*)")re");
    std::vector<std::string> links;
    for (auto it = std::sregex_iterator(page.begin(), page.end(), link); it != std::sregex_iterator(); ++it)
        links.push_back((*it)[1]);
    return links;
}

inline std::size_t CountOf(const std::string& text, const std::string& part)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++n;
    return n;
}

} // namespace velbrin::testing
