// The eleven option pages of the settings sheet.
#pragma once

#include "buildtools/option_page.h"

namespace fendrix {

// General: project type, output folder and name, the custom-build switch.
class CPageTAC : public CBasePropertyPage {
public:
    explicit CPageTAC(const ModuleState& state);
    static constexpr const char* kProjectTypes[] = {"ARM Executable", "ARM Library", "Thumb Executable",
                                                    "Thumb Library", "ARM-Thumb Interwork"};
    int32_t projectType = 0;
    std::string outputName, outputDir, buildExtension;
    int32_t useBatch = 0;
    std::string batchFile;
    std::string Validate() const override;
    void Apply(PageTexts& texts, ModuleState& state) override;

protected:
    void StoreFields(PageWriter& out) const override;
    bool LoadFields(PageReader& in, uint32_t version, ModuleState& state) override;
};

class CPageAs : public CBasePropertyPage {
public:
    CPageAs();
    void Apply(PageTexts& texts, ModuleState& state) override;

protected:
    void UpdateEnabled() override;
};

class CPageAsWarn : public CBasePropertyPage {
public:
    CPageAsWarn();
    void Apply(PageTexts& texts, ModuleState& state) override;

protected:
    void UpdateEnabled() override;
};

class CPageAtpcsC : public CBasePropertyPage {
public:
    CPageAtpcsC();
    void Apply(PageTexts& texts, ModuleState& state) override;

protected:
    void UpdateEnabled() override;
};

class CPageWarningC : public CBasePropertyPage {
public:
    CPageWarningC();
    void Apply(PageTexts& texts, ModuleState& state) override;

protected:
    void UpdateEnabled() override;
};

class CPageDebugOptC : public CBasePropertyPage {
public:
    CPageDebugOptC();
    void Apply(PageTexts& texts, ModuleState& state) override;

protected:
    void UpdateEnabled() override;
};

// Preprocessor: the definitions text is the page's command line; the include
// list is stored with the Link Listings page.
class CPagePreC : public CBasePropertyPage {
public:
    CPagePreC();
    std::vector<std::string> includes;
    // "" when added, else the refusal ("Already Exists").
    std::string AddPath(const std::string& path);
    void DeletePath(size_t index);
    void BuildText() override {}
    void ParseText() override {}
    void Apply(PageTexts& texts, ModuleState& state) override;
};

class CPageCodeGenC : public CBasePropertyPage {
public:
    CPageCodeGenC();
    void Apply(PageTexts& texts, ModuleState& state) override;
};

class CPageLinkOption : public CBasePropertyPage {
public:
    CPageLinkOption();
    std::string entry = "_start";
    void SetEntry(const std::string& symbol);
    void BuildText() override;
    void ParseText() override;
    void Apply(PageTexts& texts, ModuleState& state) override;

protected:
    bool Found(const CheckSwitch& check) const override;
    void Remove(const CheckSwitch& check) override;
    void StoreFields(PageWriter& out) const override;
    bool LoadFields(PageReader& in, uint32_t version, ModuleState& state) override;
};

class CPageLinkLayout : public CBasePropertyPage {
public:
    CPageLinkLayout();
    std::string libraryDir, libraryFile;
    void Clear() { libraryDir.clear(), libraryFile.clear(); }
    void Apply(PageTexts& texts, ModuleState& state) override;

protected:
    bool Found(const CheckSwitch& check) const override;
    void Remove(const CheckSwitch& check) override;
    void StoreFields(PageWriter& out) const override;
    bool LoadFields(PageReader& in, uint32_t version, ModuleState& state) override;
};

class CPageLinkListing : public CBasePropertyPage {
public:
    CPageLinkListing();
    static constexpr const char* kMapSwitch = "-Map=MemMap.map";
    int32_t generateMap = 0;
    std::string textSection = "0x8000", dataSection = "0x1a000", bssSection = "0x30000", groupLink,
                stackTop = "0x74000", rwBase;
    int32_t userLd = 0;
    std::string ldPath;
    std::vector<std::string> includeDirs;  // the Preprocessor page's list, stored here
    std::string Validate() const override;
    void BuildText() override {}
    void ParseText() override {}
    void Apply(PageTexts& texts, ModuleState& state) override;

protected:
    void StoreFields(PageWriter& out) const override;
    bool LoadFields(PageReader& in, uint32_t version, ModuleState& state) override;
};

// "0x" or "0X" and one to eight hexadecimal digits, or the digits alone.
bool IsHexValue(const std::string& text);

}  // namespace fendrix
