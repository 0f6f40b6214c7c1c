// The five setup workflows.
#pragma once

int InstallClient();
int EditConfiguration();
int CopyPrograms();
int UpdatePrograms();
int UninstallClient();
