#include "buildtools/option_page.h"

#include <cctype>

#include "buildtools/options.h"

namespace fendrix {

namespace {

bool SameIgnoringCase(const std::string& line, size_t at, const std::string& word)
{
    for (size_t i = 0; i < word.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(line[at + i])) != std::tolower(static_cast<unsigned char>(word[i])))
            return false;
    return true;
}

}  // namespace

size_t OptionAt(const std::string& line, const std::string& option)
{
    if (option.empty() || option.size() > line.size())
        return std::string::npos;
    for (size_t at = 0; at + option.size() <= line.size(); ++at) {
        const size_t end = at + option.size();
        if ((at == 0 || line[at - 1] == ' ') && (end == line.size() || line[end] == ' ') &&
            SameIgnoringCase(line, at, option))
            return at;
    }
    return std::string::npos;
}

std::string RemoveWord(const std::string& line, size_t at, size_t length)
{
    size_t end = at + length;
    if (end < line.size() && line[end] == ' ')
        ++end;
    else if (at > 0 && line[at - 1] == ' ')
        --at;
    return line.substr(0, at) + line.substr(end);
}

std::string CollapseBlanks(std::string text)
{
    for (size_t at = text.find("  "); at != std::string::npos; at = text.find("  ", at))
        text.erase(at, 1);
    return text;
}

CheckSwitch* CBasePropertyPage::Check(const std::string& label)
{
    for (CheckSwitch& c : checks_)
        if (c.label == label)
            return &c;
    return nullptr;
}

int32_t CBasePropertyPage::Flag(const std::string& label) const
{
    for (const CheckSwitch& c : checks_)
        if (c.label == label)
            return c.flag;
    return 0;
}

bool CBasePropertyPage::Enabled(const std::string& label) const
{
    for (const CheckSwitch& c : checks_)
        if (c.label == label)
            return c.enabled;
    return false;
}

void CBasePropertyPage::SetEnabled(const std::string& label, bool on)
{
    if (CheckSwitch* c = Check(label))
        c->enabled = on;
}

void CBasePropertyPage::SetCheck(const std::string& label, bool on)
{
    CheckSwitch* c = Check(label);
    if (!c || !c->enabled)
        return;
    c->flag = on ? 1 : 0;
    BuildText();
    text_ = CollapseBlanks(text_);
}

void CBasePropertyPage::SetRadio(size_t group, int32_t index)
{
    if (group >= radios_.size() || index < 0 || static_cast<size_t>(index) >= radios_[group].options.size())
        return;
    radios_[group].index = index;
    BuildText();
    text_ = CollapseBlanks(text_);
}

void CBasePropertyPage::SetText(const std::string& text)
{
    text_ = text;
    ParseText();
}

bool CBasePropertyPage::Found(const CheckSwitch& check) const
{
    return OptionAt(text_, check.option) != std::string::npos;
}

void CBasePropertyPage::Remove(const CheckSwitch& check)
{
    const size_t at = OptionAt(text_, check.option);
    if (at != std::string::npos)
        text_ = RemoveWord(text_, at, check.option.size());
}

void CBasePropertyPage::BuildText()
{
    UpdateEnabled();
    for (const CheckSwitch& c : checks_) {
        if (c.option.empty())
            continue;
        const bool found = Found(c);
        if (found && !c.flag)
            Remove(c);
        else if (!found && c.flag)
            AppendOption(text_, c.option);
    }
    for (const RadioSwitch& r : radios_) {
        const std::string& chosen = r.options[static_cast<size_t>(r.index)];
        bool replaced = false;
        for (const std::string& o : r.options) {
            const size_t at = OptionAt(text_, o);
            if (at == std::string::npos)
                continue;
            text_ = chosen.empty() ? RemoveWord(text_, at, o.size()) : text_.replace(at, o.size(), chosen);
            replaced = true;
            break;
        }
        if (!replaced)
            AppendOption(text_, chosen);
    }
}

void CBasePropertyPage::ParseText()
{
    for (CheckSwitch& c : checks_)
        if (!c.option.empty())
            c.flag = Found(c) ? 1 : 0;
    for (RadioSwitch& r : radios_) {
        int32_t found = -1;
        for (size_t i = 0; i < r.options.size() && found < 0; ++i)
            if (OptionAt(text_, r.options[i]) != std::string::npos)
                found = static_cast<int32_t>(i);
        for (size_t i = 0; i < r.options.size() && found < 0; ++i)
            if (r.options[i].empty())
                found = static_cast<int32_t>(i);
        if (found >= 0)
            r.index = found;
    }
    UpdateEnabled();
}

void CBasePropertyPage::Store(PageWriter& out) const
{
    out.Word(kVersion);
    out.Word(static_cast<uint32_t>(checks_.size()));
    for (const CheckSwitch& c : checks_)
        out.Word(static_cast<uint32_t>(c.flag));
    out.Word(static_cast<uint32_t>(radios_.size()));
    for (const RadioSwitch& r : radios_)
        out.Word(static_cast<uint32_t>(r.index));
    out.Text(text_);
    StoreFields(out);
}

bool CBasePropertyPage::Load(PageReader& in, ModuleState& state)
{
    uint32_t version = 0, n = 0;
    if (!in.Word(version) || version == 0 || version > kVersion)
        return false;
    if (!in.Word(n) || n != checks_.size())
        return false;
    std::vector<int32_t> flags(n);
    for (int32_t& f : flags)
        if (!in.Flag(f))
            return false;
    if (!in.Word(n) || n != radios_.size())
        return false;
    std::vector<int32_t> indices(n);
    for (size_t i = 0; i < n; ++i) {
        uint32_t v = 0;
        if (!in.Word(v) || v >= radios_[i].options.size())
            return false;
        indices[i] = static_cast<int32_t>(v);
    }
    std::string text;
    if (!in.Text(text) || !LoadFields(in, version, state))
        return false;
    for (size_t i = 0; i < flags.size(); ++i)
        checks_[i].flag = flags[i];
    for (size_t i = 0; i < indices.size(); ++i)
        radios_[i].index = indices[i];
    text_ = std::move(text);
    UpdateEnabled();
    return true;
}

void CBasePropertyPage::StoreFields(PageWriter&) const {}

bool CBasePropertyPage::LoadFields(PageReader&, uint32_t, ModuleState&)
{
    return true;
}

}  // namespace fendrix
