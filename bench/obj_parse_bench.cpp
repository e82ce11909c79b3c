// Reading a 200,000-triangle OBJ file from disk into memory: the engine's parser against
// tinyobjloader's LoadObj on the same file, and the plain string-stream reader kept in the tests.

#include "model/obj_parser.hpp"
#include "model_text.hpp"
#include "support/reference_obj_parser.hpp"

#include <benchmark/benchmark.h>
#include <tiny_obj_loader.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

namespace {

constexpr std::size_t triangle_count = 200000;

struct model_file {
    std::filesystem::path path = std::filesystem::temp_directory_path() / "bench_obj_field.obj";
    std::size_t size = write_model_text(path, triangle_count);
    ~model_file() {
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
    }
};

const model_file& model() {
    static const model_file file;
    return file;
}

void engine_parse(benchmark::State& state) {
    for (auto _ : state) {
        std::ifstream in(model().path, std::ios::binary);
        const obj_mesh mesh = parse_obj(in);
        if (mesh.triangles.size() != triangle_count) throw std::logic_error("engine: wrong triangle count");
        benchmark::DoNotOptimize(mesh.vertices.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * model().size));
}

void reference_parse(benchmark::State& state) {
    for (auto _ : state) {
        std::ifstream in(model().path, std::ios::binary);
        const obj_mesh mesh = reference_parser::parse_obj(in);
        if (mesh.triangles.size() != triangle_count)
            throw std::logic_error("reference: wrong triangle count");
        benchmark::DoNotOptimize(mesh.vertices.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * model().size));
}

void tinyobj_parse(benchmark::State& state) {
    for (auto _ : state) {
        tinyobj::attrib_t attrib;
        std::vector<tinyobj::shape_t> shapes;
        std::vector<tinyobj::material_t> materials;
        std::string warning;
        std::string error;
        const bool ok =
            tinyobj::LoadObj(&attrib, &shapes, &materials, &warning, &error, model().path.c_str());
        if (!ok || shapes.empty() || shapes[0].mesh.indices.size() != 3 * triangle_count) {
            throw std::logic_error("tinyobjloader: " + error);
        }
        benchmark::DoNotOptimize(attrib.vertices.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * model().size));
}

// The production's own model, when the assets have been generated: what the parser saves at start-up.
const std::filesystem::path production_model =
    std::filesystem::path(ENGINE_SOURCE_DIR) / "assets/toristin.obj";

template <typename Parse> void production_parse(benchmark::State& state, Parse parse) {
    const auto size = std::filesystem::file_size(production_model);
    for (auto _ : state) {
        std::ifstream in(production_model, std::ios::binary);
        const obj_mesh mesh = parse(in);
        benchmark::DoNotOptimize(mesh.vertices.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

void engine_production(benchmark::State& state) {
    production_parse(state, [](std::istream& in) { return parse_obj(in); });
}

void reference_production(benchmark::State& state) {
    production_parse(state, [](std::istream& in) { return reference_parser::parse_obj(in); });
}

} // namespace

BENCHMARK(engine_parse)->Name("obj/engine/parse")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(tinyobj_parse)->Name("obj/tinyobjloader/parse")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(reference_parse)->Name("obj/string_stream/parse")->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::AddCustomContext("model_bytes", std::to_string(model().size));
    benchmark::AddCustomContext("model_triangles", std::to_string(triangle_count));
    if (std::filesystem::exists(production_model)) {
        benchmark::RegisterBenchmark("obj/engine/toristin", engine_production)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
        benchmark::RegisterBenchmark("obj/string_stream/toristin", reference_production)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
