#pragma once
// Registers the batch JPEG 2000 conversion's options form and its run as output services.
namespace output {

void RegisterBatchConversion();

}  // namespace output
