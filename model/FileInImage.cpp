#include "model/FileInImage.h"

namespace tallowmark {

std::string ImageSourceText(const std::string& image, unsigned partition, const std::string& path) {
    return image + ':' + std::to_string(partition) + ':' + path;
}

}  // namespace tallowmark
