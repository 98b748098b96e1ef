#include "capture/Web.h"

#include "config/Param.h"
#include "core/CaseFold.h"
#include "core/Files.h"
#include "core/ShortString.h"
#include "core/Url.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace velbrin {

namespace {

constexpr std::uint8_t kMaxDepth = 255;

std::uint8_t OneDeeper(std::uint8_t depth)
{
    return depth < kMaxDepth ? static_cast<std::uint8_t>(depth + 1) : kMaxDepth;
}

} // namespace

TWEB::TWEB(TParam& settings, std::string programDir)
    : m_settings(settings)
    , m_programDir(std::move(programDir))
{
}

TWEB::~TWEB() = default;

void TWEB::Bump(std::uint16_t& counter)
{
    if (counter < kMaxWebCount)
        ++counter;
}

void TWEB::ResetFields()
{
    Url.clear();
    Path.clear();
    Title.clear();
    FileName.clear();
    Drive = 0;
    MimeList.Clear();
    ClearCount();
    TotalSize = 0;
    Options = TOPTIONS();
    DisplayOnlineImage = false;
    RewriteFlag = false;
    CaptureDate = 0;
    LastCaptureInfo = TCaptureInfo();
    FileCount = 0;
}

// Drops every link: TodoList first, so that it never points into a cleared tree.
void TWEB::Forget()
{
    ClearTodo();
    Tree.Clear();
    m_retired.clear();
    // The links of the project file are gone: the next save is a whole one.
    m_journal.Detach();
}

bool TWEB::Init(std::string_view url, std::string_view directory, const TMIMELIST& mimes)
{
    Forget();
    MapList.Clear();
    SetUrl(url);
    SetPath(directory);
    MimeList.Clear();
    for (int i = 0; const TMimeItem* mime = mimes.GetMimebyIndex(i); ++i)
        MimeList.AddMime(mime->MimeType, mime->Extension, MimeClassName(mime->MimeClass), mime->Capture);
    bool created = !Path.empty() && ForceDirectories(Path);
    CopyReportPages();
    HtmlFileInit(kLogFileName);
    StartFromUrl();
    TellLinksChanged();
    return created;
}

bool TWEB::Reinit(std::string_view url)
{
    SetUrl(url);
    Forget();
    StartFromUrl();
    TellLinksChanged();
    return true;
}

void TWEB::StartFromUrl()
{
    CopyOptions(Options, m_settings.DefaultOptions);
    Options.ClampIntegers();
    DisplayOnlineImage = false;
    RewriteFlag = true;
    ClearCount();
    SetInitialUrl();
}

void TWEB::SetInitialUrl()
{
    TLinkItem item;
    item.LinkType = LinkTypePage;
    item.Url = Url;
    NewLink(item, nullptr);
}

void TWEB::SetUrl(std::string_view url) { Url = ResolveUrl(url, ""); }

void TWEB::SetPath(std::string_view directory)
{
    Drive = 0;
    if (directory.empty()) {
        Path.clear();
        return;
    }
    std::string path = ExpandFileName(directory);
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    if (path.empty() || path.back() != '/')
        path += '/';
    Path = std::move(path);
}

std::uint16_t TWEB::GetLinkCount() const { return Tree.Count(); }

std::uint16_t TWEB::GetTodoCount() const
{
    int left = static_cast<int>(GetLinkCount()) - CapturedCount - ErrorCount - FilteredCount - NotFoundCount;
    return static_cast<std::uint16_t>(std::max(left, 0));
}

void TWEB::ClearCount()
{
    CapturedCount = 0;
    ErrorCount = 0;
    NotFoundCount = 0;
    FilteredCount = 0;
}

void TWEB::AddTotalSize(std::int64_t bytes)
{
    std::int64_t total = std::clamp<std::int64_t>(static_cast<std::int64_t>(TotalSize) + bytes, 0,
                                                  std::numeric_limits<std::int32_t>::max());
    TotalSize = static_cast<std::int32_t>(total);
}

void TWEB::SetState(TWebFile& record, std::uint8_t state)
{
    record.State = state;
    if (LinksChanged)
        LinksChanged(&record);
}

void TWEB::TellLinksChanged() const
{
    if (LinksChanged)
        LinksChanged(nullptr);
}

TWebFile* TWEB::NewLink(const TLinkItem& item, TWebFile* parent)
{
    if (TWebFile* known = Tree.FindFile(item.Url))
        return known;
    if (Tree.IsFull()) {
        LogAfter("Trop de liens : ", item.Url);
        return nullptr;
    }

    auto record = std::make_unique<TWebFile>();
    if (parent) {
        record->WebDepth = parent->WebDepth;
        record->LinkDepth = parent->LinkDepth;
        if (item.LinkType == LinkTypePage)
            record->LinkDepth = OneDeeper(parent->LinkDepth);
        std::string parentUrl = Tree.GetFileUrl(*parent);
        bool elsewhere = !SameText(GetDomainName(parentUrl), GetDomainName(item.Url));
        if (!elsewhere && m_settings.DefaultOptions.CheckDomainMachineFlag)
            elsewhere = !SameText(GetMachineName(parentUrl), GetMachineName(item.Url));
        if (elsewhere) {
            record->WebDepth = OneDeeper(parent->WebDepth);
            record->LinkDepth = 0;
        }
    }
    record->SetLinkType(item.LinkType);
    record->SetDescription(item.Description);

    TWebFile* entered = record.get();
    std::unique_ptr<TWebFile> replaced;
    if (!Tree.AddFile(item.Url, record, replaced)) {
        LogUrl(item.Url, ": Tree error");
        return nullptr;
    }
    Retire(std::move(replaced));
    AddTodo(*entered);
    return entered;
}

bool TWEB::AddTodo(TWebFile& record)
{
    if (!LinkFilter(record)) {
        SetState(record, StateFiltered);
        CountFiltered();
        return false;
    }
    SetState(record, StateToExplore);
    Queue(record, record.GetLinkType() != LinkTypePage);
    return true;
}

bool TWEB::AddAlias(std::string_view url, TWebFile& record)
{
    std::unique_ptr<TWebFile> replaced;
    if (!Tree.AddFile(url, record, replaced))
        return false;
    Retire(std::move(replaced));
    return true;
}

void TWEB::Retire(std::unique_ptr<TWebFile> record)
{
    if (!record)
        return;
    Unqueue(*record);
    m_retired.push_back(std::move(record));
}

void TWEB::Queue(TWebFile& record, bool atFront)
{
    // A record outside the tree would outlive its owner in the list.
    if (!record.Parent() || !m_queued.insert(&record).second)
        return;
    if (atFront)
        m_todo.push_front(&record);
    else
        m_todo.push_back(&record);
}

void TWEB::Unqueue(const TWebFile& record)
{
    if (m_queued.erase(&record) != 0)
        std::erase(m_todo, &record);
}

TWebFile* TWEB::TakeTodo()
{
    if (m_todo.empty())
        return nullptr;
    TWebFile* first = m_todo.front();
    m_todo.pop_front();
    m_queued.erase(first);
    return first;
}

void TWEB::RequeueTodo(TWebFile& record)
{
    if (!record.Parent() || m_queued.contains(&record))
        return;
    SetState(record, StateToExplore);
    Queue(record, false);
}

void TWEB::ClearTodo()
{
    m_todo.clear();
    m_queued.clear();
}

std::uint16_t TWEB::UpdateTodo()
{
    ClearCount();
    ClearTodo();
    m_retired.clear();
    Tree.ForEachFile([this](TWebFile& record, const std::string& url) {
        TodoExploreProc(record, url);
        return false;
    });
    TellLinksChanged();
    return GetTodoCount();
}

void TWEB::TodoExploreProc(TWebFile& record, const std::string& url)
{
    switch (record.State) {
    case StateCapturedPage:
    case StateCapturedFile:
        CountCaptured();
        break;
    case StateNotFound:
        // Internal pages that were not found are tried again every session.
        if (record.WebDepth == 0) {
            SetState(record, StateToExplore);
            AddTodo(record);
        } else {
            CountNotFound();
        }
        break;
    case StateToExplore:
    case StateInProgress:
    case StateError:
    case StateFiltered:
        if (record.GetMimeType().empty() || Filter(record, 0, url)) {
            SetState(record, StateToExplore);
            AddTodo(record);
        } else {
            SetState(record, StateFiltered);
            CountFiltered();
        }
        break;
    default:
        break;
    }
}

std::string TWEB::GetHomePage() const
{
    if (CapturedCount == 0)
        return {};
    const TWebFile* home = Tree.FindFile(Url);
    return home ? home->GetFileName() : std::string();
}

TWebDescription TWEB::Describe() const
{
    return TWebDescription{&Tree,         &MimeList,      Title,         Url,           Path,
                           GetHomePage(), CaptureDate,   TotalSize,     CapturedCount, ErrorCount,
                           NotFoundCount, FilteredCount, LastCaptureInfo};
}

void TWEB::SetTitleWithHomepageTitle()
{
    if (CapturedCount == 0 || !Title.empty())
        return;
    const TWebFile* home = Tree.FindFile(Url);
    if (!home)
        return;
    Title = ShortString(home->GetDescription().empty() ? UpperCase(Url) : home->GetDescription());
}

void TWEB::SaveDefaultOptions()
{
    CopyOptions(m_settings.DefaultOptions, Options);
    m_settings.WriteSettings();
}

} // namespace velbrin
