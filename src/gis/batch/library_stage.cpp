#include "library_stage.h"

#include <cmath>
#include <utility>

Stage::Stage(std::size_t cells, std::vector<float> layers) : layers_(std::move(layers)), wide_(layers_.size() > 255) {
    if (wide_) {
        words_.assign(cells, 0);
    } else {
        bytes_.assign(cells, 0);
    }
}

template <typename T>
void Stage::lower(T* cells, const unsigned char* water, std::size_t count, std::size_t number) {
    for (std::size_t k = 0; k < count; ++k) {
        if (water[k] == 1 && (cells[k] == 0 || cells[k] > number)) cells[k] = static_cast<T>(number);
    }
}

void Stage::add(const unsigned char* water, std::size_t first, std::size_t count, std::size_t level) {
    if (wide_) {
        lower(words_.data() + first, water, count, level + 1);
    } else {
        lower(bytes_.data() + first, water, count, level + 1);
    }
}

float Stage::at(std::size_t k) const {
    const std::size_t number = wide_ ? words_[k] : bytes_[k];
    return number == 0 ? std::nanf("") : layers_[number - 1];
}
