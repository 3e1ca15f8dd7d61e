// Enumerators over a snapshot of a collection's values.
#include <memory>

#include "platform/connection.h"

namespace zk::automation {

namespace {

struct Snapshot {
    std::vector<VARIANT> items;
    ~Snapshot()
    {
        for (VARIANT& v : items)
            VariantClear(&v);
    }
};

class VariantEnumerator final : public IEnumVARIANT, public RefCounted {
public:
    VariantEnumerator(std::shared_ptr<Snapshot> items, size_t position)
        : m_items(std::move(items)), m_position(position)
    {}
    HRESULT QueryInterface(REFIID riid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IEnumVARIANT) {
            *object = static_cast<IEnumVARIANT*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return AddRefImpl(); }
    ULONG Release() override { return ReleaseImpl(); }

    // Fewer than asked for: S_FALSE, and fetched says how many came.
    HRESULT Next(ULONG count, VARIANT* items, ULONG* fetched) override
    {
        if (fetched)
            *fetched = 0;
        if (count == 0)
            return S_OK;
        if (!items || (count > 1 && !fetched))
            return E_POINTER;
        ULONG n = 0;
        while (n < count && m_position < m_items->items.size()) {
            VariantInit(&items[n]);
            const HRESULT hr = VariantCopy(&items[n], &m_items->items[m_position]);
            if (FAILED(hr)) {
                for (ULONG i = 0; i < n; ++i)
                    VariantClear(&items[i]);
                return hr;
            }
            ++n;
            ++m_position;
        }
        if (fetched)
            *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    HRESULT Skip(ULONG count) override
    {
        const size_t left = m_items->items.size() - m_position;
        if (count > left) {
            m_position = m_items->items.size();
            return S_FALSE;
        }
        m_position += count;
        return S_OK;
    }
    HRESULT Reset() override
    {
        m_position = 0;
        return S_OK;
    }
    HRESULT Clone(IEnumVARIANT** copy) override
    {
        if (!copy)
            return E_POINTER;
        *copy = new VariantEnumerator(m_items, m_position);
        return S_OK;
    }

private:
    std::shared_ptr<Snapshot> m_items;
    size_t m_position;
};

}  // namespace

IEnumVARIANT* NewVariantEnumerator(const std::vector<VARIANT>& items)
{
    auto snapshot = std::make_shared<Snapshot>();
    snapshot->items.resize(items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        VariantInit(&snapshot->items[i]);
        VariantCopy(&snapshot->items[i], &items[i]);
    }
    return new VariantEnumerator(std::move(snapshot), 0);
}

}  // namespace zk::automation
