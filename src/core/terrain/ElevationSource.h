#pragma once

#include <optional>

// Where the ground is. Heights are metres above the EGM96 geoid ("above sea level"), the datum
// elevation models are published in. No data is no answer: a void, a place outside the model or
// a tile not in memory gives nullopt, never 0 m.
class ElevationSource
{
public:
    virtual ~ElevationSource() = default;
    virtual std::optional<double> heightAt(double latitude, double longitude) const = 0;
};
