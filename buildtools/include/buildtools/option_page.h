// The option pages of the settings sheet as toolkit-free models: check flags
// and radio indices that stand for tool switches, the "Equivalent Command
// Line" text kept in step with them both ways, the controls that exclude each
// other, the checks made before a page is left, apply into the module state,
// and each page's saved state.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "buildtools/module_state.h"
#include "buildtools/page_archive.h"

namespace fendrix {

// One check box and the switch it stands for ("" when it stands for none).
struct CheckSwitch {
    std::string label;
    std::string option;
    int32_t flag = 0;
    bool enabled = true;
};

// A radio group whose buttons are alternatives of one switch.
struct RadioSwitch {
    std::vector<std::string> labels;
    std::vector<std::string> options;  // "" stands for no switch
    int32_t index = 0;
};

// The texts an applied page hands on: the option texts joined into the
// record's option lines.
struct PageTexts {
    std::string compiler, warning, debugOpt, codeGen, assembler, asmWarn, linkOptions, libLink, preprocessor;
};

class CBasePropertyPage {
public:
    CBasePropertyPage(int dialog, std::string caption) : dialog_(dialog), caption_(std::move(caption)) {}
    virtual ~CBasePropertyPage() = default;

    int Dialog() const { return dialog_; }
    const std::string& Caption() const { return caption_; }

    std::vector<CheckSwitch>& Checks() { return checks_; }
    const std::vector<CheckSwitch>& Checks() const { return checks_; }
    std::vector<RadioSwitch>& Radios() { return radios_; }
    const std::vector<RadioSwitch>& Radios() const { return radios_; }
    CheckSwitch* Check(const std::string& label);
    int32_t Flag(const std::string& label) const;
    bool Enabled(const std::string& label) const;

    const std::string& Text() const { return text_; }

    // A click on a check box or radio button: the flag changes, the text is
    // rebuilt with runs of two blanks collapsed.
    void SetCheck(const std::string& label, bool on);
    void SetRadio(size_t group, int32_t index);
    // The edit box changed: the controls follow the text.
    void SetText(const std::string& text);

    // Controls to text (the controls that exclude each other are updated too).
    virtual void BuildText();
    // Text to controls.
    virtual void ParseText();
    // The message that refuses leaving the page, "" when it may be left.
    virtual std::string Validate() const { return {}; }
    // Builds the text and hands it on into the texts and the module state.
    virtual void Apply(PageTexts& texts, ModuleState& state) = 0;

    // Every page's state begins with its version word; a page reads the
    // fields of every version up to its own and refuses newer ones.
    void Store(PageWriter& out) const;
    // False when the state is damaged or newer: the page then keeps what it held.
    bool Load(PageReader& in, ModuleState& state);

protected:
    static constexpr uint32_t kVersion = 1;
    virtual void StoreFields(PageWriter& out) const;
    virtual bool LoadFields(PageReader& in, uint32_t version, ModuleState& state);
    // The enable states that follow from the flags.
    virtual void UpdateEnabled() {}
    void SetEnabled(const std::string& label, bool on);

    // Parsing of one check's switch; pages with exact-word switches replace it.
    virtual bool Found(const CheckSwitch& check) const;
    virtual void Remove(const CheckSwitch& check);

    std::vector<CheckSwitch> checks_;
    std::vector<RadioSwitch> radios_;
    std::string text_;

private:
    int dialog_;
    std::string caption_;
};

// The whole-word option search and removal on a command-line text.
size_t OptionAt(const std::string& line, const std::string& option);
std::string RemoveWord(const std::string& line, size_t at, size_t length);
std::string CollapseBlanks(std::string text);

}  // namespace fendrix
