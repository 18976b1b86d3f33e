// Placeholder translation unit until the compiler lands.
namespace loom::kqform {
int formatVersion() { return 1; }
}  // namespace loom::kqform
