#include "ValueNoise.h"

namespace plexifold::bench {

ValueNoise::ValueNoise(Rng& rng, int width, int height, int span, int amplitude)
    : m_span(span), m_columns(width / span + 2) {
    m_levels.resize(static_cast<std::size_t>(m_columns * (height / span + 2)));
    for (int& level : m_levels)
        level = rng.between(-amplitude, amplitude);
}

} // namespace plexifold::bench
