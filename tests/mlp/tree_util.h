// Runs the MLP-to-MIF stage and looks at the document tree before it is written, for tests that
// check values at full precision.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fdk/fdk.h"
#include "mif/tree.h"
#include "mlp/translate.h"

namespace pendra::testing {

// Translates `mlp`; on success the current MIF tree holds the document until the next translation.
inline bool translateToTree(const std::string& mlp, std::string* console = nullptr) {
  ChannelT in = F_ChannelMakeTmp(1024);
  F_ChannelWrite(mlp.data(), 1, mlp.size(), in);
  F_ChannelSeek(in, 0, SEEK_SET);
  ::testing::internal::CaptureStderr();
  mif::setStreaming(false);  // the whole tree stays in memory to be looked at
  bool ok = mlp::translateMlp(in, false, "2.01alpha");
  mif::setStreaming(true);
  std::string text = ::testing::internal::GetCapturedStderr();
  if (console) *console = text;
  F_ChannelCloseTmp(in);
  return ok;
}

inline std::vector<const mif::MifNode*> childrenOf(const mif::MifNode* group) {
  std::vector<const mif::MifNode*> out;
  for (const mif::MifNode* c = group ? group->child : nullptr; c; c = c->last ? nullptr : c->next)
    out.push_back(c);
  return out;
}

inline std::vector<const mif::MifNode*> topLevel() {
  std::vector<const mif::MifNode*> out;
  const mif::MifTree* tree = mif::currentTree();
  for (const mif::MifNode* c = tree ? tree->first : nullptr; c; c = c->last ? nullptr : c->next)
    out.push_back(c);
  return out;
}

// Every node of the document of operator `op`, in file order.
inline void collect(const mif::MifNode* node, mif::Op op, std::vector<const mif::MifNode*>& out) {
  if (node->op == op) out.push_back(node);
  for (const mif::MifNode* c : childrenOf(node)) collect(c, op, out);
}
inline std::vector<const mif::MifNode*> findAll(mif::Op op) {
  std::vector<const mif::MifNode*> out;
  for (const mif::MifNode* n : topLevel()) collect(n, op, out);
  return out;
}

// The operators of a group's children, hidden placeholders left out.
inline std::vector<mif::Op> childOps(const mif::MifNode* group) {
  std::vector<mif::Op> out;
  for (const mif::MifNode* c : childrenOf(group))
    if (c->op != mif::kPlaceholderOp) out.push_back(c->op);
  return out;
}

inline const mif::MifNode* childOf(const mif::MifNode* group, mif::Op op) {
  for (const mif::MifNode* c : childrenOf(group))
    if (c->op == op) return c;
  return nullptr;
}

}  // namespace pendra::testing
