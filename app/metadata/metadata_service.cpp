#include "app/metadata/metadata_service.h"

namespace metadata {

namespace {
MetadataService* gService = nullptr;
}

MetadataService* Metadata() {
  return gService;
}

void SetMetadataService(MetadataService* service) {
  gService = service;
}

}  // namespace metadata
