#include "core/Uuid.h"

#include <QRandomGenerator64>

QUuid Uuid::create()
{
    thread_local QRandomGenerator64 generator(QRandomGenerator::system()->generate());
    const quint64 high = (generator.generate() & ~quint64(0xF000)) | 0x4000; // version 4
    const quint64 low = (generator.generate() & ~(quint64(0xC0) << 56)) | (quint64(0x80) << 56); // variant 1
    return QUuid(uint(high >> 32),
                 ushort(high >> 16),
                 ushort(high),
                 uchar(low >> 56),
                 uchar(low >> 48),
                 uchar(low >> 40),
                 uchar(low >> 32),
                 uchar(low >> 24),
                 uchar(low >> 16),
                 uchar(low >> 8),
                 uchar(low));
}
