#pragma once

// Sets of parameters as bit masks: bit p stands for protocol::Parameter p.

#include "parameters.h"

#include <QtGlobal>

constexpr quint32 kAllParameterBits = (1u << protocol::ParameterCount) - 1;

inline quint32 parameterBit(protocol::Parameter parameter)
{
    return 1u << static_cast<int>(parameter);
}

inline quint32 parameterGroupBits(protocol::ParameterGroup group)
{
    quint32 bits = 0;
    for (const protocol::ParameterInfo &info : protocol::parameterTable()) {
        if (info.group == group)
            bits |= parameterBit(info.parameter);
    }
    return bits;
}
