// Safe arrays of VARIANT. Bounds are checked at creation: an upper bound
// that wraps 32 bits or an element count beyond memory is refused there, so
// no later index computation can overflow.
#include <cstdlib>
#include <cstring>
#include <limits>

#include "platform/automation.h"

namespace {

inline constexpr uint64_t kMaxElements = uint64_t{1} << 28;

VARIANT* Elements(SAFEARRAY* array)
{
    return static_cast<VARIANT*>(array->pvData);
}

uint64_t ElementCount(const SAFEARRAY* array)
{
    uint64_t count = 1;
    for (USHORT i = 0; i < array->cDims; ++i)
        count *= array->rgsabound[i].cElements;
    return count;
}

// The element's position; rgsabound holds the last dimension first, and
// indices[0] is the first dimension's.
HRESULT Offset(SAFEARRAY* array, const LONG* indices, uint64_t* offset)
{
    if (!array || !indices)
        return E_INVALIDARG;
    uint64_t position = 0;
    for (USHORT d = 0; d < array->cDims; ++d) {
        const SAFEARRAYBOUND& bound = array->rgsabound[array->cDims - 1 - d];
        const int64_t relative = int64_t{indices[d]} - bound.lLbound;
        if (relative < 0 || relative >= int64_t{bound.cElements})
            return DISP_E_BADINDEX;
        position = position * bound.cElements + static_cast<uint64_t>(relative);
    }
    *offset = position;
    return S_OK;
}

}  // namespace

SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT dims, const SAFEARRAYBOUND* bounds)
{
    if (vt != VT_VARIANT || dims == 0 || dims > 64 || !bounds)
        return nullptr;
    uint64_t count = 1;
    for (UINT i = 0; i < dims; ++i) {
        const int64_t upper = int64_t{bounds[i].lLbound} + bounds[i].cElements - 1;
        if (upper > std::numeric_limits<LONG>::max())
            return nullptr;
        count *= bounds[i].cElements;
        if (count > kMaxElements)
            return nullptr;
    }
    const size_t header = sizeof(SAFEARRAY) + (dims - 1) * sizeof(SAFEARRAYBOUND);
    auto* array = static_cast<SAFEARRAY*>(std::calloc(1, header));
    if (!array)
        return nullptr;
    array->cDims = static_cast<USHORT>(dims);
    array->cbElements = sizeof(VARIANT);
    // Stored last dimension first, as the callers' bounds come first first.
    for (UINT i = 0; i < dims; ++i)
        array->rgsabound[dims - 1 - i] = bounds[i];
    array->pvData = std::calloc(count ? count : 1, sizeof(VARIANT));
    if (!array->pvData) {
        std::free(array);
        return nullptr;
    }
    for (uint64_t i = 0; i < count; ++i)
        VariantInit(&Elements(array)[i]);
    return array;
}

SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lowerBound, ULONG elements)
{
    const SAFEARRAYBOUND bound = {elements, lowerBound};
    return SafeArrayCreate(vt, 1, &bound);
}

HRESULT SafeArrayDestroy(SAFEARRAY* array)
{
    if (!array)
        return S_OK;
    if (array->cLocks)
        return DISP_E_ARRAYISLOCKED;
    const uint64_t count = ElementCount(array);
    for (uint64_t i = 0; i < count; ++i)
        VariantClear(&Elements(array)[i]);
    std::free(array->pvData);
    std::free(array);
    return S_OK;
}

UINT SafeArrayGetDim(SAFEARRAY* array)
{
    return array ? array->cDims : 0;
}

HRESULT SafeArrayGetLBound(SAFEARRAY* array, UINT dim, LONG* bound)
{
    if (!array || !bound)
        return E_INVALIDARG;
    if (dim < 1 || dim > array->cDims)
        return DISP_E_BADINDEX;
    *bound = array->rgsabound[array->cDims - dim].lLbound;
    return S_OK;
}

HRESULT SafeArrayGetUBound(SAFEARRAY* array, UINT dim, LONG* bound)
{
    if (!array || !bound)
        return E_INVALIDARG;
    if (dim < 1 || dim > array->cDims)
        return DISP_E_BADINDEX;
    const SAFEARRAYBOUND& b = array->rgsabound[array->cDims - dim];
    *bound = static_cast<LONG>(int64_t{b.lLbound} + b.cElements - 1);
    return S_OK;
}

HRESULT SafeArrayGetElement(SAFEARRAY* array, const LONG* indices, void* value)
{
    uint64_t offset;
    HRESULT hr = Offset(array, indices, &offset);
    if (FAILED(hr))
        return hr;
    if (!value)
        return E_INVALIDARG;
    auto* out = static_cast<VARIANT*>(value);
    VariantInit(out);
    return VariantCopy(out, &Elements(array)[offset]);
}

HRESULT SafeArrayPutElement(SAFEARRAY* array, const LONG* indices, void* value)
{
    uint64_t offset;
    HRESULT hr = Offset(array, indices, &offset);
    if (FAILED(hr))
        return hr;
    if (!value)
        return E_INVALIDARG;
    if (array->cLocks)
        return DISP_E_ARRAYISLOCKED;
    return VariantCopy(&Elements(array)[offset], static_cast<VARIANT*>(value));
}

HRESULT SafeArrayCopy(SAFEARRAY* array, SAFEARRAY** copy)
{
    if (!array || !copy)
        return E_INVALIDARG;
    *copy = nullptr;
    SAFEARRAYBOUND bounds[64];
    for (USHORT i = 0; i < array->cDims; ++i)
        bounds[i] = array->rgsabound[array->cDims - 1 - i];
    SAFEARRAY* result = SafeArrayCreate(VT_VARIANT, array->cDims, bounds);
    if (!result)
        return E_OUTOFMEMORY;
    const uint64_t count = ElementCount(array);
    for (uint64_t i = 0; i < count; ++i) {
        HRESULT hr = VariantCopy(&Elements(result)[i], &Elements(array)[i]);
        if (FAILED(hr)) {
            SafeArrayDestroy(result);
            return hr;
        }
    }
    *copy = result;
    return S_OK;
}

HRESULT SafeArrayLock(SAFEARRAY* array)
{
    if (!array)
        return E_INVALIDARG;
    ++array->cLocks;
    return S_OK;
}

HRESULT SafeArrayUnlock(SAFEARRAY* array)
{
    if (!array)
        return E_INVALIDARG;
    if (array->cLocks == 0)
        return E_UNEXPECTED;
    --array->cLocks;
    return S_OK;
}
