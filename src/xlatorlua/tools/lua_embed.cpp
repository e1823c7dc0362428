// Build-time tool of the script embedding.
//
//   lua_embed generate <out.cpp> <namespace> <function> <file name>=<path>...
//     Checks every module against the interpreter this tool is linked with
//     (the one the library links): a precompiled chunk (".luac") must carry
//     the interpreter's own header, and every module must load. A chunk is
//     then converted into a prepared chunk (xlatorlua/prepared_chunk.h),
//     which must load and dump to the same bytes as the chunk. Then writes a
//     C++ source defining `<namespace>::<function>()`, the ModuleSet of the
//     modules in the order given (prepared chunks in place of luac's),
//     marked as checked at build time.
//
// Exit status 0 on success; 1 with a message on the standard error stream.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "xlatorlua/lua_api.h"
#include "xlatorlua/prepared_chunk.h"
#include "xlatorlua/tools/prepared_chunk_writer.h"

namespace {

bool readFile(const std::string& path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

bool writeFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
  return static_cast<bool>(out.flush());
}

int fail(const std::string& message) {
  std::fprintf(stderr, "lua_embed: %s\n", message.c_str());
  return 1;
}

// ---- generate ----

int collectDump(lua_State*, const void* data, size_t size, void* target) {
  auto* out = static_cast<std::string*>(target);
  out->append(static_cast<const char*>(data), size);
  return 0;
}

// The header of the chunks this interpreter writes (and so accepts).
std::string interpreterHeader(lua_State* L) {
  std::string dump;
  if (luaL_loadstring(L, "return 1") != 0) return {};
  lua_dump(L, collectDump, &dump);
  lua_pop(L, 1);
  constexpr size_t kHeaderSize = 12;  // signature, version, format, endianness, 5 sizes
  return dump.substr(0, kHeaderSize);
}

std::string hex(const std::string& bytes) {
  std::string out;
  char digits[4];
  for (unsigned char byte : bytes) {
    std::snprintf(digits, sizeof digits, "%02x ", byte);
    out += digits;
  }
  return out;
}

void appendLiteral(std::string& out, const std::string& data) {
  constexpr size_t kLineBytes = 96;
  out += "    \"";
  size_t column = 0;
  for (unsigned char byte : data) {
    if (column >= kLineBytes) {
      out += "\"\n    \"";
      column = 0;
    }
    if (byte >= 0x20 && byte < 0x7f && byte != '"' && byte != '\\' && byte != '?') {
      out.push_back(static_cast<char>(byte));
      ++column;
    } else {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\%03o", byte);
      out += escape;
      column += 4;
    }
  }
  out += "\"";
}

// The dump of the function on top of the stack, which is popped.
std::string dumpTop(lua_State* L) {
  std::string dump;
  lua_dump(L, collectDump, &dump);
  lua_pop(L, 1);
  return dump;
}

// The prepared form of luac's chunk `data`, whose functions dump to
// `expected`, checked to load to those same functions; empty, with a message
// written, when it cannot be made.
std::string prepared(lua_State* L, const std::string& path, const std::string& fileName,
                     const std::string& data, const std::string& expected) {
  std::string out;
  std::string error;
  const auto hash = [L](std::string_view text, uint32_t& h) {
    if (voxlatorlua_stringHash(L, text.data(), text.size(), &h) == 0) return true;
    lua_pop(L, 1);
    return false;
  };
  if (!voxlatorlua::prepareChunk(data, hash, out, error)) {
    fail(path + ": cannot prepare the chunk: " + error);
    return {};
  }
  if (voxlatorlua_loadPreparedChunk(L, out.data(), out.size(), fileName.c_str()) != 0) {
    fail(path + ": the prepared chunk does not load: " + lua_tostring(L, -1));
    return {};
  }
  if (dumpTop(L) != expected) {
    fail(path + ": the prepared chunk loads to other functions than the chunk");
    return {};
  }
  return out;
}

struct Module {
  std::string fileName;
  std::string path;
  std::string data;
};

int generate(const std::string& outPath, const std::string& nameSpace, const std::string& function,
             const std::vector<std::string>& entries) {
  std::vector<Module> modules;
  for (const std::string& entry : entries) {
    const size_t equals = entry.find('=');
    if (equals == std::string::npos || equals == 0) return fail("bad module " + entry);
    Module module{entry.substr(0, equals), entry.substr(equals + 1), {}};
    if (module.fileName.size() >= 256) return fail("file name too long: " + module.fileName);
    if (!readFile(module.path, module.data)) return fail("cannot read " + module.path);
    modules.push_back(std::move(module));
  }

  lua_State* L = luaL_newstate();
  if (L == nullptr) return fail("cannot create an interpreter state");
  const std::string header = interpreterHeader(L);
  int status = header.size() == 12 ? 0 : fail("cannot dump a chunk");
  for (Module& module : modules) {
    if (status != 0) break;
    const bool precompiled = module.fileName.size() > 5 &&
                             module.fileName.compare(module.fileName.size() - 5, 5, ".luac") == 0;
    if (precompiled && module.data.compare(0, header.size(), header) != 0) {
      status = fail(module.path + ": the chunk's header (" + hex(module.data.substr(0, 12)) +
                    ") does not match the linked interpreter's (" + hex(header) +
                    "); luac and the interpreter library differ");
      break;
    }
    if (luaL_loadbuffer(L, module.data.data(), module.data.size(), module.fileName.c_str()) != 0) {
      status = fail(module.path + ": " + lua_tostring(L, -1));
      break;
    }
    if (!precompiled) {
      lua_pop(L, 1);
      continue;
    }
    const std::string expected = dumpTop(L);
    module.data = prepared(L, module.path, module.fileName, module.data, expected);
    if (module.data.empty()) status = 1;
  }
  lua_close(L);
  if (status != 0) return status;

  std::string out;
  out += "// Generated by lua_embed at build time; do not edit.\n";
  out += "#include \"xlatorlua/embedded_modules.h\"\n\n";
  out += "namespace {\n\n";
  for (size_t i = 0; i < modules.size(); ++i) {
    out +=
        "// " + modules[i].fileName + " (" + std::to_string(modules[i].data.size()) + " bytes)\n";
    out += "constexpr char kData" + std::to_string(i) + "[] =\n";
    appendLiteral(out, modules[i].data);
    out += ";\n\n";
  }
  out += "constexpr voxlatorlua::EmbeddedModule kModules[] = {\n";
  for (size_t i = 0; i < modules.size(); ++i) {
    out += "    {\"" + modules[i].fileName + "\", kData" + std::to_string(i) + ", " +
           std::to_string(modules[i].data.size()) + "},\n";
  }
  if (modules.empty()) out += "    {nullptr, nullptr, 0},\n";
  out += "};\n\n}  // namespace\n\n";
  out += "namespace " + nameSpace + " {\n\n";
  out += "voxlatorlua::ModuleSet " + function + "() noexcept {\n";
  out += "  return {kModules, " + std::to_string(modules.size()) + ", true};\n}\n\n";
  out += "}  // namespace " + nameSpace + "\n";
  if (!writeFile(outPath, out)) return fail("cannot write " + outPath);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() >= 4 && args[0] == "generate") {
    return generate(args[1], args[2], args[3],
                    std::vector<std::string>(args.begin() + 4, args.end()));
  }
  std::fprintf(stderr,
               "usage: lua_embed generate <out.cpp> <namespace> <function> <file>=<path>...\n");
  return 2;
}
