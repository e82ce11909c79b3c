#pragma once

#include "gl/texture_2d.hpp"
#include "piece/piece.hpp"

#include <glm/vec3.hpp>

#include <map>
#include <string>

// The image files a piece's passes read as channels, each loaded once, upright as Shadertoy's channels
// read them (the file's first row at the top), linear without mipmaps.
class channel_images {
public:
    // Loads the images of `channels` not yet loaded; one that does not load throws runtime_error naming
    // the piece's line.
    void load(const piece::piece_data& piece, const piece::channel_list& channels);

    GLuint id(const std::string& file) const { return images.at(file).texture.id(); }
    const glm::vec3& size(const std::string& file) const { return images.at(file).size; }

private:
    struct image {
        gl::texture_2d texture;
        glm::vec3 size;
    };
    std::map<std::string, image> images;
};
