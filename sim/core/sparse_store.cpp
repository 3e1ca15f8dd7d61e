#include "simcore/sparse_store.h"

#include <cstdlib>
#include <new>

namespace zk::sim {

void SparseStore::FreeDeleter::operator()(void* p) const
{
    std::free(p);
}

SparseStore::SparseStore()
{
    // calloc leaves the untouched part of the table uncommitted.
    auto* table = static_cast<uint32_t**>(std::calloc(kPageCount, sizeof(uint32_t*)));
    if (!table)
        throw std::bad_alloc();
    pages_.reset(table);
    auto* decoded = static_cast<DecodedPage**>(std::calloc(kPageCount, sizeof(DecodedPage*)));
    if (!decoded)
        throw std::bad_alloc();
    decoded_.reset(decoded);
}

SparseStore::~SparseStore()
{
    Clear();
}

uint32_t* SparseStore::Allocate(uint32_t addr)
{
    auto* page = static_cast<uint32_t*>(std::calloc(kPageWords, sizeof(uint32_t)));
    if (!page)
        return nullptr;
    pages_[addr >> kPageBits] = page;
    ++allocated_;
    return page;
}

DecodedPage* SparseStore::AllocateDecoded(uint32_t addr)
{
    auto* page = static_cast<DecodedPage*>(std::calloc(1, sizeof(DecodedPage)));
    if (!page)
        return nullptr;
    decoded_[addr >> kPageBits] = page;
    ++decodedPages_;
    return page;
}

void SparseStore::ForgetAllDecoded()
{
    for (size_t i = 0; i < kPageCount && decodedPages_ > 0; ++i) {
        if (decoded_[i]) {
            std::free(decoded_[i]);
            decoded_[i] = nullptr;
            --decodedPages_;
        }
    }
}

void SparseStore::Clear()
{
    ForgetAllDecoded();
    if (allocated_ == 0)
        return;
    for (size_t i = 0; i < kPageCount && allocated_ > 0; ++i) {
        if (pages_[i]) {
            std::free(pages_[i]);
            pages_[i] = nullptr;
            --allocated_;
        }
    }
}

void SparseStore::ReadLine(uint32_t addr, uint32_t out[4]) const
{
    const uint32_t base = addr & ~15u;
    for (uint32_t i = 0; i < 4; ++i)
        out[i] = ReadWord(base + 4 * i);
}

bool SparseStore::WriteLine(uint32_t addr, const uint32_t in[4])
{
    const uint32_t base = addr & ~15u;
    bool ok = true;
    for (uint32_t i = 0; i < 4; ++i)
        ok = WriteWord(base + 4 * i, in[i]) && ok;
    return ok;
}

bool SparseStore::WriteBytes(uint32_t addr, const uint8_t* data, size_t size)
{
    bool ok = true;
    for (size_t i = 0; i < size; ++i)
        ok = Write(addr + static_cast<uint32_t>(i), 1, data[i]) && ok;
    return ok;
}

void SparseStore::ReadBytes(uint32_t addr, uint8_t* data, size_t size) const
{
    for (size_t i = 0; i < size; ++i)
        data[i] = static_cast<uint8_t>(Read(addr + static_cast<uint32_t>(i), 1));
}

}  // namespace zk::sim
