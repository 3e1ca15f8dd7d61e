#include "platform/resources.h"

#include <map>
#include <mutex>

namespace platform::resources {
namespace {

template <typename T>
class Table {
public:
    void Add(UINT id, HMODULE module, T value)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        entries_[{id, module}] = std::move(value);
    }
    // The module's entry, else any module's.
    std::optional<T> Find(UINT id, HMODULE module)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = entries_.find({id, module});
        if (it != entries_.end())
            return it->second;
        for (auto& [key, value] : entries_)
            if (key.first == id)
                return value;
        return std::nullopt;
    }

private:
    std::mutex mutex_;
    std::map<std::pair<UINT, HMODULE>, T> entries_;
};

Table<std::string>& Strings()
{
    static auto* t = new Table<std::string>;
    return *t;
}
Table<std::vector<MenuDef>>& Menus()
{
    static auto* t = new Table<std::vector<MenuDef>>;
    return *t;
}
Table<std::vector<ACCEL>>& Accels()
{
    static auto* t = new Table<std::vector<ACCEL>>;
    return *t;
}
Table<std::vector<UINT>>& ToolBars()
{
    static auto* t = new Table<std::vector<UINT>>;
    return *t;
}
Table<std::shared_ptr<const DialogTemplate>>& Dialogs()
{
    static auto* t = new Table<std::shared_ptr<const DialogTemplate>>;
    return *t;
}

}  // namespace

void AddString(UINT id, std::string text, HMODULE module)
{
    Strings().Add(id, module, std::move(text));
}

std::string LoadString(UINT id, HMODULE module)
{
    return Strings().Find(id, module).value_or(std::string());
}

bool HasString(UINT id, HMODULE module)
{
    return Strings().Find(id, module).has_value();
}

void AddMenu(UINT id, std::vector<MenuDef> menu, HMODULE module)
{
    Menus().Add(id, module, std::move(menu));
}

std::shared_ptr<CMenu> LoadMenu(UINT id, HMODULE module)
{
    auto defs = Menus().Find(id, module);
    return defs ? BuildMenu(*defs) : nullptr;
}

void AddAccelerators(UINT id, std::vector<ACCEL> table, HMODULE module)
{
    Accels().Add(id, module, std::move(table));
}

std::shared_ptr<AccelTable> LoadAccelerators(UINT id, HMODULE module)
{
    auto entries = Accels().Find(id, module);
    return entries ? std::make_shared<AccelTable>(*entries) : nullptr;
}

void AddToolBar(UINT id, std::vector<UINT> buttons, HMODULE module)
{
    ToolBars().Add(id, module, std::move(buttons));
}

std::optional<std::vector<UINT>> LoadToolBar(UINT id, HMODULE module)
{
    return ToolBars().Find(id, module);
}

void AddDialog(UINT id, std::shared_ptr<const DialogTemplate> dialog, HMODULE module)
{
    Dialogs().Add(id, module, std::move(dialog));
}

std::shared_ptr<const DialogTemplate> LoadDialog(UINT id, HMODULE module)
{
    return Dialogs().Find(id, module).value_or(nullptr);
}

}  // namespace platform::resources
